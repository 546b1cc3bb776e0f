// LZHUF encoder and decoder. Names and shape follow the published algorithm so the two can be read
// side by side; the working state lives in one heap object per call instead of globals.
#include "crypt/Lzhuf.h"

#include <cstring>
#include <memory>

namespace {

constexpr int N = 4096;       // window size
constexpr int F = 60;         // longest match and lookahead size
constexpr int THRESHOLD = 2;  // matches this short go out as literals
constexpr int NIL = N;        // empty search-tree link
constexpr int N_CHAR = 256 - THRESHOLD + F;
constexpr int T = N_CHAR * 2 - 1;
constexpr int R = T - 1;
constexpr unsigned MAX_FREQ = 0x8000;

// The window carries 8 spare bytes so the match search may compare 8 bytes at a time.
constexpr int kWindowSize = N + F - 1;
constexpr int kWindowPad = 8;

struct PositionTables {
    uint8_t p_len[64];
    uint8_t p_code[64];
    uint8_t d_code[256];
    uint8_t d_len[256];
};

constexpr uint8_t PrefixLength(int u) {
    return u < 1 ? 3 : u < 4 ? 4 : u < 12 ? 5 : u < 24 ? 6 : u < 48 ? 7 : 8;
}

// The fixed prefix code of the upper six position bits: codes assigned in order of u, shortest first.
constexpr PositionTables MakePositionTables() {
    PositionTables t{};
    int code = 0;
    for (int u = 0; u < 64; u++) {
        int len = PrefixLength(u);
        t.p_len[u] = uint8_t(len);
        t.p_code[u] = uint8_t(code);
        for (int b = code; b < code + (1 << (8 - len)); b++) {
            t.d_code[b] = uint8_t(u);
            t.d_len[b] = uint8_t(len);
        }
        code += 1 << (8 - len);
    }
    return t;
}

constexpr PositionTables kPos = MakePositionTables();
static_assert(kPos.p_code[63] == 0xFF && kPos.d_code[255] == 63, "position code must fill the byte");

// Adaptive Huffman model shared by both directions; nodes ordered by non-decreasing frequency.
struct HuffModel {
    uint16_t freq[T + 1];
    int16_t prnt[T + N_CHAR]; // parent of each node; entries T.. give the leaf of each symbol
    int16_t son[T];           // first child of an internal node, T + symbol for a leaf

    void StartHuff();
    void Reconst();
    void Update(int c);
    int LastBelow(int from, unsigned k) const;
};

void HuffModel::StartHuff() {
    for (int i = 0; i < N_CHAR; i++) {
        freq[i] = 1;
        son[i] = int16_t(i + T);
        prnt[i + T] = int16_t(i);
    }
    for (int i = 0, j = N_CHAR; j <= R; i += 2, j++) {
        freq[j] = uint16_t(freq[i] + freq[i + 1]);
        son[j] = int16_t(i);
        prnt[i] = prnt[i + 1] = int16_t(j);
    }
    freq[T] = 0xFFFF;
    prnt[R] = 0;
}

// Halves the frequencies (rounding up) and rebuilds the tree from the leaves.
void HuffModel::Reconst() {
    int j = 0;
    for (int i = 0; i < T; i++) {
        if (son[i] >= T) {
            freq[j] = uint16_t((freq[i] + 1) / 2);
            son[j] = son[i];
            j++;
        }
    }
    for (int i = 0, j = N_CHAR; j < T; i += 2, j++) {
        unsigned f = unsigned(freq[i]) + freq[i + 1];
        int k = j - 1;
        while (f < freq[k])
            k--;
        k++;
        // The new node goes above every node of equal frequency.
        std::memmove(&freq[k + 1], &freq[k], sizeof(freq[0]) * size_t(j - k));
        std::memmove(&son[k + 1], &son[k], sizeof(son[0]) * size_t(j - k));
        freq[k] = uint16_t(f);
        son[k] = int16_t(i);
    }
    for (int i = 0; i < T; i++) {
        int k = son[i];
        if (k >= T) {
            prnt[k] = int16_t(i);
        } else {
            prnt[k] = prnt[k + 1] = int16_t(i);
        }
    }
}

// Highest index whose frequency is below k, given freq[from] < k. Frequencies never decrease with
// the index and the sentinel stops the search; galloping keeps long runs of equal counts cheap.
int HuffModel::LastBelow(int from, unsigned k) const {
    int lo = from;
    int step = 1;
    while (lo + step < T && freq[lo + step] < k) {
        lo += step;
        step *= 2;
    }
    int hi = lo + step < T ? lo + step : T; // freq[hi] >= k
    while (hi - lo > 1) {
        int mid = lo + (hi - lo) / 2;
        if (freq[mid] < k)
            lo = mid;
        else
            hi = mid;
    }
    return lo;
}

void HuffModel::Update(int c) {
    if (freq[R] == MAX_FREQ)
        Reconst();
    c = prnt[c + T];
    do {
        unsigned k = ++freq[c];
        // Order disturbed: swap with the highest node of lower frequency.
        if (k > freq[c + 1]) {
            int l = LastBelow(c + 1, k);
            freq[c] = freq[l];
            freq[l] = uint16_t(k);

            int i = son[c];
            prnt[i] = int16_t(l);
            if (i < T)
                prnt[i + 1] = int16_t(l);

            int j = son[l];
            son[l] = int16_t(i);

            prnt[j] = int16_t(c);
            if (j < T)
                prnt[j + 1] = int16_t(c);
            son[c] = int16_t(j);

            c = l;
        }
    } while ((c = prnt[c]) != 0);
}

// Index of the first byte from 1 on where the two strings differ, or F when the first F agree; side
// is 1 when key is not below text there (the published cmp >= 0), else 0.
inline int CompareLength(const uint8_t* key, const uint8_t* text, int& side) {
#if defined(__GNUC__) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    for (int i = 1; i < F; i += 8) {
        uint64_t a, b;
        std::memcpy(&a, key + i, 8);
        std::memcpy(&b, text + i, 8);
        if (a != b) {
            int at = i + __builtin_ctzll(a ^ b) / 8;
            if (at >= F)
                break;
            // Byte-swapped, the first differing byte is the most significant: compare whole words.
            side = __builtin_bswap64(a) > __builtin_bswap64(b);
            return at;
        }
    }
#else
    for (int i = 1; i < F; i++) {
        if (key[i] != text[i]) {
            side = key[i] > text[i];
            return i;
        }
    }
#endif
    side = 1;
    return F;
}

class Encoder {
public:
    Encoder(ByteSink& out) : out_(out) {}
    void Encode(const uint8_t* in, uint32_t n);
    unsigned LongestCode() const { return longestCode_; }

private:
    int16_t& lson(int p) { return link[p][0]; }
    int16_t& rson(int p) { return link[p][1]; }
    void InitTree();
    void InsertNode(int r);
    void DeleteNode(int p);
    void Putcode(int l, unsigned c);
    void PutLongCode(unsigned l, uint32_t code);
    void EncodeChar(unsigned c);
    void EncodePosition(unsigned c);
    void EncodeEnd();

    ByteSink& out_;
    uint8_t text_buf[kWindowSize + kWindowPad] = {};
    // Left and right child side by side, so the search picks a side by index instead of a branch.
    // Entries N+1..N+256 are the roots, one per first byte; only their right side is used.
    int16_t link[N + 257][2] = {};
    int16_t dad[N + 1] = {};
    HuffModel huff = {};
    int match_position = 0;
    int match_length = 0;
    uint16_t putbuf = 0;
    uint8_t putlen = 0;
    unsigned longestCode_ = 0;
};

void Encoder::InitTree() {
    for (int i = N + 1; i <= N + 256; i++)
        rson(i) = NIL;
    for (int i = 0; i < N; i++)
        dad[i] = NIL;
}

// Inserts the string at r into its tree and finds the longest (then nearest) match on the way.
void Encoder::InsertNode(int r) {
    const uint8_t* key = &text_buf[r];
    int p = N + 1 + key[0];
    rson(r) = lson(r) = NIL;
    // Kept in registers during the walk, stored on the way out.
    int length = 0;
    int position = match_position;
    int side = 1; // cmp >= 0: right
    for (;;) {
        int q = link[p][side];
        if (q == NIL) {
            link[p][side] = int16_t(r);
            dad[r] = int16_t(p);
            match_length = length;
            match_position = position;
            return;
        }
        p = q;
        int i = CompareLength(key, &text_buf[p], side);
        if (i > THRESHOLD) {
            int here = ((r - p) & (N - 1)) - 1;
            if (i > length) {
                position = here;
                if ((length = i) >= F)
                    break;
            } else if (i == length && here < position) {
                position = here;
            }
        }
    }
    match_length = length;
    match_position = position;
    // A full-length match: r replaces p, which leaves the tree.
    dad[r] = dad[p];
    lson(r) = lson(p);
    rson(r) = rson(p);
    dad[lson(p)] = int16_t(r);
    dad[rson(p)] = int16_t(r);
    if (rson(dad[p]) == p)
        rson(dad[p]) = int16_t(r);
    else
        lson(dad[p]) = int16_t(r);
    dad[p] = NIL;
}

void Encoder::DeleteNode(int p) {
    if (dad[p] == NIL)
        return;
    int q;
    if (rson(p) == NIL) {
        q = lson(p);
    } else if (lson(p) == NIL) {
        q = rson(p);
    } else {
        q = lson(p);
        if (rson(q) != NIL) {
            do {
                q = rson(q);
            } while (rson(q) != NIL);
            rson(dad[q]) = lson(q);
            dad[lson(q)] = dad[q];
            lson(q) = lson(p);
            dad[lson(p)] = int16_t(q);
        }
        rson(q) = rson(p);
        dad[rson(p)] = int16_t(q);
    }
    dad[q] = dad[p];
    if (rson(dad[p]) == p)
        rson(dad[p]) = int16_t(q);
    else
        lson(dad[p]) = int16_t(q);
    dad[p] = NIL;
}

// Sends the top l (at most 16) bits of the left-aligned code c.
void Encoder::Putcode(int l, unsigned c) {
    putbuf = uint16_t(putbuf | (c >> putlen));
    if ((putlen += uint8_t(l)) >= 8) {
        out_.Put(uint8_t(putbuf >> 8));
        if ((putlen -= 8) >= 8) {
            out_.Put(uint8_t(putbuf));
            putlen -= 8;
            putbuf = uint16_t(c << (l - putlen));
        } else {
            putbuf = uint16_t(putbuf << 8);
        }
    }
}

// Codes up to 16 bits go out in one piece exactly as a 16-bit accumulator would send them; a longer
// one (possible after rebuilds on very skewed input) goes out as 16 bits plus the rest.
void Encoder::PutLongCode(unsigned l, uint32_t code) {
    if (l <= 16) {
        Putcode(int(l), code >> 16);
    } else {
        Putcode(16, code >> 16);
        Putcode(int(l - 16), code & 0xFFFF);
    }
}

void Encoder::EncodeChar(unsigned c) {
    // The code is gathered leaf first into a 32-bit accumulator. The tree keeps the sibling
    // property and the root's frequency stays at most 0x8000, which bounds the depth far below 32.
    uint32_t code = 0;
    unsigned len = 0;
    int k = huff.prnt[c + T];
    do {
        code >>= 1;
        if (k & 1)
            code |= 0x80000000u;
        len++;
    } while ((k = huff.prnt[k]) != R);
    PutLongCode(len, code);
    if (len > longestCode_)
        longestCode_ = len;
    huff.Update(int(c));
}

void Encoder::EncodePosition(unsigned c) {
    unsigned i = c >> 6;
    Putcode(kPos.p_len[i], unsigned(kPos.p_code[i]) << 8);
    Putcode(6, (c & 0x3F) << 10);
}

void Encoder::EncodeEnd() {
    if (putlen)
        out_.Put(uint8_t(putbuf >> 8));
}

void PutLength(uint32_t n, ByteSink& out) {
    for (int i = 0; i < 4; i++)
        out.Put(uint8_t(n >> (8 * i)));
}

void Encoder::Encode(const uint8_t* in, uint32_t n) {
    PutLength(n, out_);
    if (n == 0)
        return;
    huff.StartHuff();
    InitTree();
    int s = 0;
    int r = N - F;
    for (int i = s; i < r; i++)
        text_buf[i] = ' ';
    uint32_t next = 0;
    int len = 0;
    for (; len < F && next < n; len++)
        text_buf[r + len] = in[next++];
    for (int i = 1; i <= F; i++)
        InsertNode(r - i);
    InsertNode(r);
    do {
        if (match_length > len)
            match_length = len;
        if (match_length <= THRESHOLD) {
            match_length = 1;
            EncodeChar(text_buf[r]);
        } else {
            EncodeChar(unsigned(255 - THRESHOLD + match_length));
            EncodePosition(unsigned(match_position));
        }
        int last_match_length = match_length;
        int i = 0;
        for (; i < last_match_length && next < n; i++) {
            uint8_t c = in[next++];
            DeleteNode(s);
            text_buf[s] = c;
            if (s < F - 1)
                text_buf[s + N] = c;
            s = (s + 1) & (N - 1);
            r = (r + 1) & (N - 1);
            InsertNode(r);
        }
        while (i++ < last_match_length) {
            DeleteNode(s);
            s = (s + 1) & (N - 1);
            r = (r + 1) & (N - 1);
            if (--len)
                InsertNode(r);
        }
    } while (len > 0);
    EncodeEnd();
}

// Bits MSB first; bytes at or past the end of the valid data read as 0. pos keeps counting past the
// end so that the caller can tell whether the stream was long enough.
class BitReader {
public:
    BitReader(const uint8_t* buf, size_t start, size_t end) : buf_(buf), pos_(start), end_(end) {}

    unsigned GetBit() {
        if (count_ == 0)
            Refill();
        unsigned bit = unsigned(bits_ >> 63);
        bits_ <<= 1;
        count_--;
        return bit;
    }

    unsigned GetByte() {
        if (count_ < 8)
            Refill();
        unsigned byte = unsigned(bits_ >> 56);
        bits_ <<= 8;
        count_ -= 8;
        return byte;
    }

    // Bits taken so far, counted from start.
    uint64_t BitsTaken(size_t start) const { return uint64_t(pos_ - start) * 8 - unsigned(count_); }

private:
    void Refill() {
        while (count_ <= 56) {
            uint64_t b = pos_ < end_ ? buf_[pos_] : 0;
            pos_++;
            bits_ |= b << (56 - count_);
            count_ += 8;
        }
    }

    const uint8_t* buf_;
    size_t pos_;
    size_t end_;
    uint64_t bits_ = 0;
    int count_ = 0;
};

class Decoder {
public:
    Decoder(const uint8_t* buf, size_t start, size_t end, ByteSink& out) : reader_(buf, start, end), out_(out) {}
    void Decode(uint32_t textsize);
    uint64_t BitsTaken(size_t start) const { return reader_.BitsTaken(start); }

private:
    int DecodeChar();
    int DecodePosition();

    BitReader reader_;
    ByteSink& out_;
    uint8_t text_buf[N] = {};
    HuffModel huff = {};
};

int Decoder::DecodeChar() {
    unsigned c = unsigned(huff.son[R]);
    while (c < unsigned(T)) {
        c += reader_.GetBit();
        c = unsigned(huff.son[c]);
    }
    c -= T;
    huff.Update(int(c));
    return int(c);
}

int Decoder::DecodePosition() {
    unsigned i = reader_.GetByte();
    unsigned c = unsigned(kPos.d_code[i]) << 6;
    unsigned j = kPos.d_len[i] - 2u;
    while (j--)
        i = (i << 1) + reader_.GetBit();
    return int(c | (i & 0x3F));
}

void Decoder::Decode(uint32_t textsize) {
    if (textsize == 0)
        return;
    huff.StartHuff();
    for (int i = 0; i < N - F; i++)
        text_buf[i] = ' ';
    int r = N - F;
    for (uint32_t count = 0; count < textsize;) {
        int c = DecodeChar();
        if (c < 256) {
            out_.Put(uint8_t(c));
            text_buf[r++] = uint8_t(c);
            r &= N - 1;
            count++;
        } else {
            // The source start is fixed before copying; a position of 0 repeats the last byte.
            int i = (r - DecodePosition() - 1) & (N - 1);
            int j = c - 255 + THRESHOLD;
            for (int k = 0; k < j; k++) {
                uint8_t b = text_buf[(i + k) & (N - 1)];
                out_.Put(b);
                text_buf[r++] = b;
                r &= N - 1;
            }
            count += uint32_t(j);
        }
    }
}

} // namespace

void LzhufEncode(const uint8_t* in, uint32_t n, ByteSink& out, LzhufEncodeProbe& probe) {
    auto encoder = std::make_unique<Encoder>(out);
    encoder->Encode(in, n);
    probe.longestCode = encoder->LongestCode();
}

void LzhufEncode(const uint8_t* in, uint32_t n, ByteSink& out) {
    LzhufEncodeProbe probe;
    LzhufEncode(in, n, out, probe);
}

uint32_t LzhufStoredLength(const uint8_t* buf, size_t lengthOffset, size_t validCount) {
    uint32_t m = 0;
    for (size_t k = 0; k < 4; k++) {
        if (lengthOffset < validCount && k < validCount - lengthOffset)
            m |= uint32_t(buf[lengthOffset + k]) << (8 * k);
    }
    return m;
}

void LzhufDecode(const uint8_t* buf, size_t lengthOffset, size_t validCount, ByteSink& out,
                 LzhufDecodeStats& stats) {
    stats.length = LzhufStoredLength(buf, lengthOffset, validCount);
    stats.complete = true;
    if (stats.length == 0)
        return;
    // A non-zero length means lengthOffset lies inside the valid bytes, so this cannot wrap.
    size_t start = lengthOffset + 4;
    auto decoder = std::make_unique<Decoder>(buf, start, validCount, out);
    decoder->Decode(stats.length);
    uint64_t available = start < validCount ? uint64_t(validCount - start) * 8 : 0;
    stats.complete = decoder->BitsTaken(start) <= available;
}

void LzhufDecode(const uint8_t* buf, size_t lengthOffset, size_t validCount, ByteSink& out) {
    LzhufDecodeStats stats;
    LzhufDecode(buf, lengthOffset, validCount, out, stats);
}
