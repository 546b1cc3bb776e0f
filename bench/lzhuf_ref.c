/* Plain C LZHUF in the classic shape (global tables, a byte at a time through stdio): the baseline
   that bench/codec_cli_bench.sh times pelmar-cli against. Bench-only, never part of the product.
   usage: lzhuf_ref e|d IN OUT */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define N 4096
#define F 60
#define THRESHOLD 2
#define NIL N
#define N_CHAR (256 - THRESHOLD + F)
#define T (N_CHAR * 2 - 1)
#define R (T - 1)
#define MAX_FREQ 0x8000

static FILE *infile, *outfile;
static unsigned long textsize;

static unsigned char text_buf[N + F - 1];
static int match_position, match_length;
static int lson[N + 1], rson[N + 257], dad[N + 1];

static unsigned freq[T + 1];
static int prnt[T + N_CHAR];
static int son[T];

static unsigned getbuf, getlen, putbuf, putlen;

static unsigned char p_len[64], p_code[64], d_code[256], d_len[256];

static void MakeTables(void)
{
    int u, b, len, code = 0;
    for (u = 0; u < 64; u++) {
        len = u < 1 ? 3 : u < 4 ? 4 : u < 12 ? 5 : u < 24 ? 6 : u < 48 ? 7 : 8;
        p_len[u] = (unsigned char)len;
        p_code[u] = (unsigned char)code;
        for (b = code; b < code + (1 << (8 - len)); b++) {
            d_code[b] = (unsigned char)u;
            d_len[b] = (unsigned char)len;
        }
        code += 1 << (8 - len);
    }
}

static void InitTree(void)
{
    int i;
    for (i = N + 1; i <= N + 256; i++) rson[i] = NIL;
    for (i = 0; i < N; i++) dad[i] = NIL;
}

static void InsertNode(int r)
{
    int i, p, cmp, c;
    unsigned char *key = &text_buf[r];

    cmp = 1;
    p = N + 1 + key[0];
    rson[r] = lson[r] = NIL;
    match_length = 0;
    for (;;) {
        if (cmp >= 0) {
            if (rson[p] != NIL) p = rson[p];
            else { rson[p] = r; dad[r] = p; return; }
        } else {
            if (lson[p] != NIL) p = lson[p];
            else { lson[p] = r; dad[r] = p; return; }
        }
        for (i = 1; i < F; i++)
            if ((cmp = key[i] - text_buf[p + i]) != 0) break;
        if (i > THRESHOLD) {
            if (i > match_length) {
                match_position = ((r - p) & (N - 1)) - 1;
                if ((match_length = i) >= F) break;
            }
            if (i == match_length) {
                if ((c = ((r - p) & (N - 1)) - 1) < match_position)
                    match_position = c;
            }
        }
    }
    dad[r] = dad[p];
    lson[r] = lson[p];
    rson[r] = rson[p];
    dad[lson[p]] = r;
    dad[rson[p]] = r;
    if (rson[dad[p]] == p) rson[dad[p]] = r;
    else lson[dad[p]] = r;
    dad[p] = NIL;
}

static void DeleteNode(int p)
{
    int q;
    if (dad[p] == NIL) return;
    if (rson[p] == NIL) q = lson[p];
    else if (lson[p] == NIL) q = rson[p];
    else {
        q = lson[p];
        if (rson[q] != NIL) {
            do { q = rson[q]; } while (rson[q] != NIL);
            rson[dad[q]] = lson[q];
            dad[lson[q]] = dad[q];
            lson[q] = lson[p];
            dad[lson[p]] = q;
        }
        rson[q] = rson[p];
        dad[rson[p]] = q;
    }
    dad[q] = dad[p];
    if (rson[dad[p]] == p) rson[dad[p]] = q;
    else lson[dad[p]] = q;
    dad[p] = NIL;
}

static int GetBit(void)
{
    int c;
    unsigned i;
    while (getlen <= 8) {
        if ((c = getc(infile)) < 0) c = 0;
        getbuf |= (unsigned)c << (8 - getlen);
        getlen += 8;
    }
    i = getbuf;
    getbuf = (getbuf << 1) & 0xFFFF;
    getlen--;
    return (int)((i >> 15) & 1);
}

static int GetByte(void)
{
    int c;
    unsigned i;
    while (getlen <= 8) {
        if ((c = getc(infile)) < 0) c = 0;
        getbuf |= (unsigned)c << (8 - getlen);
        getlen += 8;
    }
    i = getbuf;
    getbuf = (getbuf << 8) & 0xFFFF;
    getlen -= 8;
    return (int)(i >> 8);
}

/* Sends the top l bits of the left-aligned 16-bit code c. */
static void Putcode(int l, unsigned c)
{
    putbuf |= c >> putlen;
    if ((putlen += l) >= 8) {
        putc((int)(putbuf >> 8), outfile);
        if ((putlen -= 8) >= 8) {
            putc((int)(putbuf & 0xFF), outfile);
            putlen -= 8;
            putbuf = (c << (l - putlen)) & 0xFFFF;
        } else {
            putbuf = (putbuf << 8) & 0xFFFF;
        }
    }
}

static void StartHuff(void)
{
    int i, j;
    for (i = 0; i < N_CHAR; i++) {
        freq[i] = 1;
        son[i] = i + T;
        prnt[i + T] = i;
    }
    i = 0;
    j = N_CHAR;
    while (j <= R) {
        freq[j] = freq[i] + freq[i + 1];
        son[j] = i;
        prnt[i] = prnt[i + 1] = j;
        i += 2;
        j++;
    }
    freq[T] = 0xFFFF;
    prnt[R] = 0;
}

static void reconst(void)
{
    int i, j, k;
    unsigned f, l;

    j = 0;
    for (i = 0; i < T; i++) {
        if (son[i] >= T) {
            freq[j] = (freq[i] + 1) / 2;
            son[j] = son[i];
            j++;
        }
    }
    for (i = 0, j = N_CHAR; j < T; i += 2, j++) {
        f = freq[j] = freq[i] + freq[i + 1];
        for (k = j - 1; f < freq[k]; k--)
            ;
        k++;
        l = (unsigned)(j - k);
        memmove(&freq[k + 1], &freq[k], l * sizeof freq[0]);
        freq[k] = f;
        memmove(&son[k + 1], &son[k], l * sizeof son[0]);
        son[k] = i;
    }
    for (i = 0; i < T; i++) {
        if ((k = son[i]) >= T) prnt[k] = i;
        else prnt[k] = prnt[k + 1] = i;
    }
}

static void update(int c)
{
    int i, j, l;
    unsigned k;

    if (freq[R] == MAX_FREQ) reconst();
    c = prnt[c + T];
    do {
        k = ++freq[c];
        if (k > freq[l = c + 1]) {
            while (k > freq[++l])
                ;
            l--;
            freq[c] = freq[l];
            freq[l] = k;

            i = son[c];
            prnt[i] = l;
            if (i < T) prnt[i + 1] = l;

            j = son[l];
            son[l] = i;

            prnt[j] = c;
            if (j < T) prnt[j + 1] = c;
            son[c] = j;

            c = l;
        }
    } while ((c = prnt[c]) != 0);
}

static void EncodeChar(unsigned c)
{
    unsigned i = 0;
    int j = 0, k = prnt[c + T];
    do {
        i >>= 1;
        if (k & 1) i += 0x8000;
        j++;
    } while ((k = prnt[k]) != R);
    Putcode(j, i);
    update((int)c);
}

static void EncodePosition(unsigned c)
{
    unsigned i = c >> 6;
    Putcode(p_len[i], (unsigned)p_code[i] << 8);
    Putcode(6, (c & 0x3f) << 10);
}

static int DecodeChar(void)
{
    int c = son[R];
    while (c < T) {
        c += GetBit();
        c = son[c];
    }
    c -= T;
    update(c);
    return c;
}

static int DecodePosition(void)
{
    unsigned i, j, c;
    i = (unsigned)GetByte();
    c = (unsigned)d_code[i] << 6;
    j = d_len[i];
    j -= 2;
    while (j--) i = (i << 1) + (unsigned)GetBit();
    return (int)(c | (i & 0x3f));
}

static void Encode(void)
{
    int i, c, len, r, s, last_match_length;

    fseek(infile, 0L, SEEK_END);
    textsize = (unsigned long)ftell(infile);
    rewind(infile);
    for (i = 0; i < 4; i++) putc((int)((textsize >> (8 * i)) & 0xFF), outfile);
    if (textsize == 0) return;
    StartHuff();
    InitTree();
    s = 0;
    r = N - F;
    for (i = s; i < r; i++) text_buf[i] = ' ';
    for (len = 0; len < F && (c = getc(infile)) != EOF; len++)
        text_buf[r + len] = (unsigned char)c;
    for (i = 1; i <= F; i++) InsertNode(r - i);
    InsertNode(r);
    do {
        if (match_length > len) match_length = len;
        if (match_length <= THRESHOLD) {
            match_length = 1;
            EncodeChar(text_buf[r]);
        } else {
            EncodeChar((unsigned)(255 - THRESHOLD + match_length));
            EncodePosition((unsigned)match_position);
        }
        last_match_length = match_length;
        for (i = 0; i < last_match_length && (c = getc(infile)) != EOF; i++) {
            DeleteNode(s);
            text_buf[s] = (unsigned char)c;
            if (s < F - 1) text_buf[s + N] = (unsigned char)c;
            s = (s + 1) & (N - 1);
            r = (r + 1) & (N - 1);
            InsertNode(r);
        }
        while (i++ < last_match_length) {
            DeleteNode(s);
            s = (s + 1) & (N - 1);
            r = (r + 1) & (N - 1);
            if (--len) InsertNode(r);
        }
    } while (len > 0);
    if (putlen) putc((int)(putbuf >> 8), outfile);
}

static void Decode(void)
{
    int i, j, k, r, c;
    unsigned long count;

    textsize = 0;
    for (i = 0; i < 4; i++) {
        if ((c = getc(infile)) < 0) c = 0;
        textsize |= (unsigned long)c << (8 * i);
    }
    if (textsize == 0) return;
    StartHuff();
    for (i = 0; i < N - F; i++) text_buf[i] = ' ';
    r = N - F;
    for (count = 0; count < textsize;) {
        c = DecodeChar();
        if (c < 256) {
            putc(c, outfile);
            text_buf[r++] = (unsigned char)c;
            r &= (N - 1);
            count++;
        } else {
            i = (r - DecodePosition() - 1) & (N - 1);
            j = c - 255 + THRESHOLD;
            for (k = 0; k < j; k++) {
                c = text_buf[(i + k) & (N - 1)];
                putc(c, outfile);
                text_buf[r++] = (unsigned char)c;
                r &= (N - 1);
                count++;
            }
        }
    }
}

int main(int argc, char *argv[])
{
    if (argc != 4 || (strcmp(argv[1], "e") != 0 && strcmp(argv[1], "d") != 0)) {
        fprintf(stderr, "usage: lzhuf_ref e|d IN OUT\n");
        return 1;
    }
    if ((infile = fopen(argv[2], "rb")) == NULL || (outfile = fopen(argv[3], "wb")) == NULL) {
        fprintf(stderr, "lzhuf_ref: cannot open a file\n");
        return 2;
    }
    MakeTables();
    if (argv[1][0] == 'e') Encode();
    else Decode();
    if (fclose(outfile) != 0) return 2;
    fclose(infile);
    return 0;
}
