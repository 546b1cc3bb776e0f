// LZHUF encoder and decoder. Names and shape follow the published algorithm so the two can be read
// side by side; the working state lives in one heap object per call instead of globals.
#include "crypt/Lzhuf.h"

#include "common/Wipe.h"

#include <cstddef>
#include <cstring>
#include <initializer_list>
#include <memory>

// The encoder's routines for each byte, taken into its main loop: their calls cost about as much as
// their bodies. (The decoder keeps the update out of line; there that measured faster.)
#if defined(__GNUC__)
#define LZHUF_INLINE __attribute__((always_inline)) inline
#else
#define LZHUF_INLINE inline
#endif

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

constexpr int kFreqPad = 16;

// Symbol c's leaf is named T + 1 + 2c in son and prnt. Each leaf then has two prnt entries like an
// internal pair, and the second takes the sibling write of a swap, so that write needs no branch.
constexpr int kLeafIds = T + 1 + 2 * N_CHAR;
constexpr int LeafId(int c) { return T + 1 + 2 * c; }
constexpr int SymbolOf(int id) { return (id - T - 1) >> 1; }
// Above the root: its own parent, so the update may climb a fixed number of steps past the root.
// Its frequency counts those steps and never reaches the 0xFFFF above it, so it never swaps.
constexpr int kAboveRoot = kLeafIds;

// Adaptive Huffman model shared by both directions; nodes ordered by non-decreasing frequency.
struct HuffModel {
    // Entry T is the sentinel 0xFFFF; the copies after it let LastBelow read ahead without bounds checks.
    uint16_t freq[kAboveRoot + 2];
    // Parent of each node; entry LeafId(c) gives the leaf of symbol c.
    int16_t prnt[kAboveRoot + 1];
    int16_t son[T]; // first child of an internal node, LeafId(symbol) for a leaf
    // The code of each node as (bits << 5) | length, its own bit lowest; 0 when not known. A node's
    // code changes only when a swap moves a subtree above it, which is rare once the counts settle
    // (two leaves that swap just take each other's places), so the encoder seldom climbs for one.
    uint32_t code[T];
    // For the decoder: the node that the first kTableBits bits of a code lead to, with the number of
    // bits that took (fewer at a leaf), as node | bits << 10. Two leaves that swap change no entry;
    // only swaps that move an inner node do, and they are rare.
    static constexpr int kTableBits = 10;
    bool hasTable = false;
    uint16_t table[1 << kTableBits];

    void StartHuff();
    void Reconst();
    void Update(int c, unsigned depth);
    void UpdateOutOfLine(int c, unsigned depth);
    int LastBelow(int from, unsigned k) const;
    uint32_t CodeOf(ptrdiff_t x);
    void ForgetCodesBelow(ptrdiff_t x);
    void Moved(ptrdiff_t a, ptrdiff_t b);
    void FillTable(ptrdiff_t x, unsigned bits, unsigned len);
    void FillTable();
};

void HuffModel::FillTable(ptrdiff_t x, unsigned bits, unsigned len) {
    if (son[x] >= T || len == kTableBits) {
        unsigned from = bits << (kTableBits - len);
        uint16_t entry = uint16_t(x | len << 10);
        for (unsigned i = 0; i < 1u << (kTableBits - len); i++)
            table[from + i] = entry;
        return;
    }
    FillTable(son[x], bits << 1, len + 1);
    FillTable(son[x] + 1, bits << 1 | 1, len + 1);
}

void HuffModel::FillTable() {
    if (hasTable) {
        FillTable(son[R], 0, 1);
        FillTable(son[R] + 1, 1, 1);
    }
}

// The subtrees at a and b have changed places and one of them holds inner nodes: the codes below
// them have changed, and so has what the table says for their codes.
void HuffModel::Moved(ptrdiff_t a, ptrdiff_t b) {
    ForgetCodesBelow(a);
    ForgetCodesBelow(b);
    if (!hasTable)
        return;
    for (ptrdiff_t x : {a, b}) {
        uint32_t c = CodeOf(x);
        if ((c & 31) < unsigned(kTableBits))
            FillTable(x, c >> 5, c & 31);
    }
}

uint32_t HuffModel::CodeOf(ptrdiff_t x) {
    if (code[x] == 0) {
        uint32_t bits = 0;
        unsigned len = 0;
        for (ptrdiff_t k = x; k != R; k = prnt[k]) {
            bits |= uint32_t(k & 1) << len;
            len++;
        }
        code[x] = bits << 5 | len;
    }
    return code[x];
}

// The subtree at x has moved: the codes of all nodes below it have changed.
void HuffModel::ForgetCodesBelow(ptrdiff_t x) {
    int16_t pending[T];
    int count = 0;
    if (son[x] < T)
        pending[count++] = son[x];
    while (count > 0) {
        int y = pending[--count];
        for (int z = y; z <= y + 1; z++) {
            code[z] = 0;
            if (son[z] < T)
                pending[count++] = son[z];
        }
    }
}

void HuffModel::StartHuff() {
    for (int i = 0; i < N_CHAR; i++) {
        freq[i] = 1;
        son[i] = int16_t(LeafId(i));
        prnt[LeafId(i)] = int16_t(i);
    }
    for (int i = 0, j = N_CHAR; j <= R; i += 2, j++) {
        freq[j] = uint16_t(freq[i] + freq[i + 1]);
        son[j] = int16_t(i);
        prnt[i] = prnt[i + 1] = int16_t(j);
    }
    for (int i = T; i < T + kFreqPad; i++)
        freq[i] = 0xFFFF;
    prnt[R] = prnt[kAboveRoot] = int16_t(kAboveRoot);
    freq[kAboveRoot] = 0;
    freq[kAboveRoot + 1] = 0xFFFF;
    std::memset(code, 0, sizeof(code));
    FillTable();
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
    std::memset(code, 0, sizeof(code));
    FillTable();
}

// Highest index whose frequency is below k, given freq[from] < k. Frequencies never decrease with
// the index and the sentinels stop the search. A run shorter than 16 is searched without branches
// (their outcome is random, and mispredictions cost more than the loads); longer runs gallop.
int HuffModel::LastBelow(int from, unsigned k) const {
    const uint16_t* f = freq;
    if (f[from + 16] >= k) {
        int l = from;
        l += f[l + 8] < k ? 8 : 0;
        l += f[l + 4] < k ? 4 : 0;
        l += f[l + 2] < k ? 2 : 0;
        l += f[l + 1] < k ? 1 : 0;
        return l;
    }
    int lo = from + 16;
    int step = 1;
    while (lo + step < T && f[lo + step] < k) {
        lo += step;
        step *= 2;
    }
    int hi = lo + step < T ? lo + step : T; // freq[hi] >= k
    while (hi - lo > 1) {
        int mid = lo + (hi - lo) / 2;
        if (f[mid] < k)
            lo = mid;
        else
            hi = mid;
    }
    return lo;
}

// Puts the node just counted up to k at index c above the nodes it now outgrew: it changes places
// (subtrees, frequencies) with l, the highest node below k. With l == c nothing changes.
inline void SwapUp(uint16_t* f, int16_t* up, int16_t* down, ptrdiff_t c, ptrdiff_t l, unsigned k) {
    f[c] = f[l];
    f[l] = uint16_t(k);
    int i = down[c];
    int j = down[l];
    up[i] = int16_t(l);
    up[i + 1] = int16_t(l);
    down[l] = int16_t(i);
    up[j] = int16_t(c);
    up[j + 1] = int16_t(c);
    down[c] = int16_t(j);
}

// depth: the length of c's code, which the caller has just found.
LZHUF_INLINE void HuffModel::Update(int c, unsigned depth) {
    if (freq[R] == MAX_FREQ)
        Reconst();
    uint16_t* const f = freq;
    int16_t* const up = prnt;
    int16_t* const down = son;
    // Pointer-sized index: each step up is then a single dependent load.
    ptrdiff_t n = up[LeafId(c)];
    // The leaf first. Whether it swaps is a coin toss when many leaves count alike (bytes of even
    // frequencies), so no branch decides it: the search finds n itself when nothing is to be passed.
    {
        unsigned k = ++f[n];
        ptrdiff_t l = n;
        if (f[n + 16] < k) {
            l = LastBelow(int(n) + 16, k);
        } else {
            l += f[l + 8] < k ? 8 : 0;
            l += f[l + 4] < k ? 4 : 0;
            l += f[l + 2] < k ? 2 : 0;
            l += f[l + 1] < k ? 1 : 0;
        }
        SwapUp(f, up, down, n, l, k);
        if (down[n] < T || down[l] < T)
            Moved(n, l); // a leaf changed places with an inner node
        n = up[l];
    }
    auto step = [&] {
        unsigned k = ++f[n];
        // Order disturbed: swap with the highest node of lower frequency.
        if (k > f[n + 1]) {
            ptrdiff_t l = LastBelow(int(n) + 1, k);
            SwapUp(f, up, down, n, l, k);
            Moved(n, l);
            n = l;
        }
        n = up[n];
    };
    // Without swaps the climb takes depth + 1 steps. Counting them lets the loop exit resolve
    // without waiting for the chain of loads; a swap may move the climb to another depth, and
    // steps past the root are harmless.
    for (unsigned s = 1; s <= depth; s++)
        step();
    while (n != kAboveRoot)
        step();
}

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
constexpr bool kLittleEndian = false;
#else
constexpr bool kLittleEndian = true;
#endif

// Eight bytes as a big-endian number, so that comparing two numbers compares the strings.
void HuffModel::UpdateOutOfLine(int c, unsigned depth) { Update(c, depth); }

inline uint64_t LoadBE64(const uint8_t* p) {
#if defined(__GNUC__) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    uint64_t v;
    std::memcpy(&v, p, 8);
    return __builtin_bswap64(v);
#else
    uint64_t v = 0;
    for (int i = 0; i < 8; i++)
        v = v << 8 | p[i];
    return v;
#endif
}

inline void StoreBE64(uint8_t* p, uint64_t v) {
#if defined(__GNUC__) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    v = __builtin_bswap64(v);
    std::memcpy(p, &v, 8);
#else
    for (int i = 0; i < 8; i++)
        p[i] = uint8_t(v >> (56 - 8 * i));
#endif
}

// Index of the first differing byte of two unequal big-endian loads.
inline int FirstDifference(uint64_t x, uint64_t y) {
#if defined(__GNUC__)
    return __builtin_clzll(x ^ y) / 8;
#else
    int i = 0;
    for (uint64_t d = x ^ y; !(d >> 56); d <<= 8)
        i++;
    return i;
#endif
}

// Index of the first byte from 9 on where key and text differ, or F when the first F agree; side is 1
// when key is not below text there (the published cmp >= 0), else 0.
int CompareTail(const uint8_t* key, const uint8_t* text, int& side) {
    for (int i = 9; i < F; i += 8) {
        uint64_t x = LoadBE64(key + i);
        uint64_t y = LoadBE64(text + i);
        if (x != y) {
            int at = i + FirstDifference(x, y);
            if (at >= F)
                break;
            side = x > y;
            return at;
        }
    }
    side = 1;
    return F;
}

// Bits MSB first into a 64-bit accumulator, whole 32-bit words into a small buffer that goes to the
// sink in chunks. The codes are sent whole and in order, so the stream is the same as the one a
// 16-bit accumulator sending one byte at a time produces.
class BitWriter {
public:
    explicit BitWriter(ByteSink& out) : out_(out) {}

    // The low len bits of code, 1 <= len <= 32. The whole accumulator is stored every time and the
    // fill moves on by the bytes completed, so how many there were decides no branch.
    void Put(uint32_t code, unsigned len) {
        count_ += len;
        acc_ |= uint64_t(code) << (64 - count_);
        StoreBE64(buf_ + fill_, acc_);
        unsigned bytes = count_ >> 3;
        fill_ += bytes;
        acc_ <<= 8 * bytes; // count_ < 40, so bytes < 5
        count_ &= 7;
        if (fill_ >= kChunk)
            Flush();
    }

    void PutRawByte(uint8_t b) {
        buf_[fill_++] = b;
    }

    // Pending bits go out padded with zeros to a whole byte, then everything goes to the sink.
    void Finish() {
        while (count_ > 0) {
            buf_[fill_++] = uint8_t(acc_ >> 56);
            acc_ <<= 8;
            count_ = count_ > 8 ? count_ - 8 : 0;
        }
        Flush();
    }

private:
    static constexpr size_t kChunk = 4096;

    void Flush() {
        if (fill_)
            out_.PutBytes(buf_, fill_);
        fill_ = 0;
    }

    ByteSink& out_;
    uint64_t acc_ = 0;
    unsigned count_ = 0; // below 8 between calls
    size_t fill_ = 0;
    uint8_t buf_[kChunk + 8];
};

// a when c holds, else b, by arithmetic: a compiler may turn a plain ?: into a branch, and these
// conditions come at random.
inline int Select(unsigned c, int a, int b) { return b ^ ((a ^ b) & -int(c)); }

// The child on one side, from both links loaded together (the left one in the low half).
inline int Child(uint32_t links, int side) { return int16_t(uint16_t(links >> (16 * side))); }

// A link entry that takes writes meant for nowhere.
constexpr int kScratch = N + 257;

class Encoder {
public:
    Encoder(ByteSink& out) : writer_(out) {}
    void Encode(const uint8_t* in, uint32_t n);
    unsigned LongestCode() const { return longestCode_; }

private:
    int16_t& lson(int p) { return link[p][0]; }
    int16_t& rson(int p) { return link[p][1]; }
    // Both links of p; the left one in the low half. (One load on the machines we build for.)
    uint32_t Links(int p) const {
        uint32_t v;
        std::memcpy(&v, link[p], 4);
        return kLittleEndian ? v : v >> 16 | v << 16;
    }
    // One search down a tree: the string at r, where it has got to (p, and the side to go on), and
    // the best match so far as (length << 12) | (N - distance), so that the larger value is the
    // longer match and, at equal length, the nearer one.
    struct Search {
        int r;
        int p;
        int side;
        unsigned best;
        bool done;
        uint64_t keyHead; // key[1..8]
    };
    Search StartSearch(int r);
    void StepDown(Search& w);
    void FinishSearch(const Search& w, int& length, int& position);
    void InitTree();
    void InsertNode(int r);
    void InsertPair(int r);
    void DeleteNode(int p);
    void EncodeChar(unsigned c);
    void EncodePosition(unsigned c);
    // The byte at window position s, and its copy past the end of the ring.
    void PutByte(int s, uint8_t c) {
        text_buf[s] = c;
        if (s < F - 1)
            text_buf[s + N] = c;
    }

    BitWriter writer_;
    uint8_t text_buf[kWindowSize + kWindowPad] = {};
    // Left and right child side by side, so that both come in one load. Entries N+1..N+256 are the
    // roots, one per first byte; only their right side is used. Entry NIL is never written, so the
    // search may read its links and text harmlessly.
    alignas(4) int16_t link[kScratch + 1][2] = {};
    int16_t dad[N + 1] = {};
    HuffModel huff = {};
    int match_position = 0;
    int match_length = 0;
    // The position after r when it was inserted together with r, and its match.
    bool ahead_ = false;
    int ahead_length = 0;
    int ahead_position = 0;
    unsigned longestCode_ = 0;
};

void Encoder::InitTree() {
    for (int i = N + 1; i <= N + 256; i++)
        rson(i) = NIL;
    for (int i = 0; i < N; i++)
        dad[i] = NIL;
}

Encoder::Search Encoder::StartSearch(int r) {
    const uint8_t* key = &text_buf[r];
    rson(r) = lson(r) = NIL;
    int root = N + 1 + key[0]; // only its right side is used
    // Starting at length 2 lets only matches of 3 or more in.
    return {r, root, 1, unsigned(THRESHOLD) << 12 | (N - 1), rson(root) == NIL, LoadBE64(key + 1)};
}

// One step down to the child on the search side. Once there is none, or the match is full, the step
// stays where it is: it repeats the same comparison and changes nothing. So two searches can step
// together with no branch on which of them is done, and the root is never compared.
inline void Encoder::StepDown(Search& w) {
    int q = Child(Links(w.p), w.side);
    bool stay = w.done | (q == NIL);
    w.p = stay ? w.p : q;
    const uint8_t* text = &text_buf[w.p];
    uint64_t head = LoadBE64(text + 1);
    int i;
    if (head != w.keyHead) {
        w.side = w.keyHead > head;
        i = 1 + FirstDifference(w.keyHead, head);
    } else {
        i = CompareTail(&text_buf[w.r], text, w.side);
    }
    // The distance is 1..N-1, so the low part stays within 12 bits.
    unsigned cand = unsigned(i) << 12 | unsigned((w.p - w.r) & (N - 1)); // N - distance
    w.best = cand > w.best ? cand : w.best;
    w.done = stay | (i >= F);
}

// Hangs r where the search ended, or puts it in the place of the node it matches in full.
LZHUF_INLINE void Encoder::FinishSearch(const Search& w, int& length, int& position) {
    int r = w.r;
    int p = w.p;
    length = (w.best >> 12) > unsigned(THRESHOLD) ? int(w.best >> 12) : 0;
    position = N - int(w.best & (N - 1)) - 1;
    if (length < F) {
        link[p][w.side] = int16_t(r);
        dad[r] = int16_t(p);
        return;
    }
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

// Inserts the string at r into its tree and finds the longest (then nearest) match on the way.
void Encoder::InsertNode(int r) {
    Search w = StartSearch(r);
    while (!w.done)
        StepDown(w);
    FinishSearch(w, match_length, match_position);
}

// Inserts r and r + 1, which lie in two different trees: the two searches step down together, so
// the processor follows both chains of loads at once, and one loop exit is mispredicted instead of two.
void Encoder::InsertPair(int r) {
    Search a = StartSearch(r);
    Search b = StartSearch((r + 1) & (N - 1));
    if (!(a.done | b.done)) {
        do {
            StepDown(a);
            StepDown(b);
        } while (!(a.done & b.done));
    }
    while (!a.done) // an empty tree has nothing to step through
        StepDown(a);
    while (!b.done)
        StepDown(b);
    FinishSearch(a, match_length, match_position);
    FinishSearch(b, ahead_length, ahead_position);
}

LZHUF_INLINE void Encoder::DeleteNode(int p) {
    int parent = dad[p];
    if (parent == NIL)
        return;
    uint32_t links = Links(p);
    int l = Child(links, 0);
    int r = Child(links, 1);
    // One branch, for the case that needs a walk (about a third of the deletions of random bytes).
    unsigned hasLeft = l != NIL;
    unsigned hasBoth = hasLeft & unsigned(r != NIL);
    unsigned leftRight = unsigned(rson(l) ^ NIL); // 0 when l has no right child
    int q;
    if (hasBoth & (leftRight | (0u - leftRight)) >> 31) {
        // The rightmost node of the left subtree takes p's place.
        q = rson(l);
        while (rson(q) != NIL)
            q = rson(q);
        rson(dad[q]) = lson(q);
        dad[lson(q)] = dad[q];
        lson(q) = int16_t(l);
        dad[l] = int16_t(q);
        rson(q) = int16_t(r);
    } else {
        // The left child, which then has no right child, takes p's place and p's right subtree; or
        // the only child does. These come at random, so the writes are steered by index instead of
        // by branches: the right subtree goes to a scratch entry when there is nothing to hang it on.
        q = Select(hasLeft, l, r);
        rson(Select(hasBoth, q, kScratch)) = int16_t(r);
    }
    dad[r] = int16_t(q); // harmless when r is NIL, and overwritten below when q is r
    dad[q] = int16_t(parent);
    link[parent][Child(Links(parent), 1) == p] = int16_t(q);
    dad[p] = NIL;
}

LZHUF_INLINE void Encoder::EncodeChar(unsigned c) {
    uint32_t code = huff.CodeOf(huff.prnt[LeafId(int(c))]);
    unsigned len = code & 31;
    writer_.Put(code >> 5, len);
    if (len > longestCode_)
        longestCode_ = len;
    huff.Update(int(c), len);
}

// The prefix code of the upper six bits and the lower six bits, sent together.
void Encoder::EncodePosition(unsigned c) {
    unsigned u = c >> 6;
    unsigned len = kPos.p_len[u];
    writer_.Put((unsigned(kPos.p_code[u]) >> (8 - len)) << 6 | (c & 0x3F), len + 6);
}

void Encoder::Encode(const uint8_t* in, uint32_t n) {
    for (int i = 0; i < 4; i++)
        writer_.PutRawByte(uint8_t(n >> (8 * i)));
    if (n == 0) {
        writer_.Finish();
        return;
    }
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
        for (; i < last_match_length && (ahead_ || next < n); i++) {
            s = (s + 1) & (N - 1);
            r = (r + 1) & (N - 1);
            if (ahead_) { // inserted together with the position before
                ahead_ = false;
                match_length = ahead_length;
                match_position = ahead_position;
                continue;
            }
            int s1 = (s - 1) & (N - 1);
            DeleteNode(s1);
            PutByte(s1, in[next++]);
            // The next two strings go in together when they and the node that leaves before the second
            // lie in three different trees; then the order of the steps does not matter.
            int r2 = (r + 1) & (N - 1);
            if (next < n && text_buf[r] != text_buf[r2] && text_buf[r] != text_buf[s]) {
                DeleteNode(s);
                PutByte(s, in[next++]);
                InsertPair(r);
                ahead_ = true;
            } else {
                InsertNode(r);
            }
        }
        while (i++ < last_match_length) {
            DeleteNode(s);
            s = (s + 1) & (N - 1);
            r = (r + 1) & (N - 1);
            if (--len)
                InsertNode(r);
        }
    } while (len > 0);
    writer_.Finish();
}

// Bits MSB first; bytes at or past the end of the valid data read as 0, so that the reader may look
// ahead. pos keeps counting past the end, which tells whether a taken bit was one of those zeros.
// Refills four bytes at a time while four valid bytes remain, then one at a time.
struct BitReader {
    const uint8_t* buf;
    size_t pos;
    size_t end;
    uint64_t bits;
    int count;

    void Refill() {
        if (count <= 32 && pos < end && end - pos >= 4) {
            const uint8_t* p = buf + pos;
            uint32_t w = uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
            bits |= uint64_t(w) << (32 - count);
            pos += 4;
            count += 32;
            return;
        }
        while (count <= 56) {
            uint64_t b = pos < end ? buf[pos] : 0;
            pos++;
            bits |= b << (56 - count);
            count += 8;
        }
    }

    // Takes the top len bits, len <= count.
    unsigned Take(int len) {
        unsigned v = unsigned(bits >> (64 - len));
        bits <<= len;
        count -= len;
        return v;
    }

    // Whether some bit taken so far lay past the valid bytes.
    bool Overran() const { return pos > end && (pos - end) * 8 > size_t(count); }
};

class Decoder {
public:
    Decoder(const uint8_t* buf, size_t start, size_t end, ByteSink& out) : reader_{buf, start, end, 0, 0}, out_(out) {}
    // Returns false when the stream ran out of bits before the text was complete.
    bool Decode(uint32_t textsize);

private:
    static constexpr int kChunk = 4096;

    BitReader reader_;
    ByteSink& out_;
    uint8_t text_buf[N] = {};
    HuffModel huff = {};
    uint8_t out_buf[kChunk + F];
};

bool Decoder::Decode(uint32_t textsize) {
    huff.hasTable = true;
    huff.StartHuff();
    for (int i = 0; i < N - F; i++)
        text_buf[i] = ' ';
    // Reader and output position live in locals for the loop, so they stay in registers.
    BitReader rd = reader_;
    const int16_t* const son = huff.son;
    uint8_t* const window = text_buf;
    int fill = 0;
    int r = N - F;
    uint32_t count = 0;
    while (count < textsize) {
        // The root's frequency stays at most 0x8000, which keeps codes well under 33 bits, so with
        // 33 bits in hand the walk takes its bits without checking the count.
        if (rd.count <= 32)
            rd.Refill();
        // The first bits in one look-up; only codes longer than those walk on down the tree.
        unsigned entry = huff.table[rd.bits >> (64 - HuffModel::kTableBits)];
        unsigned taken = entry >> 10;
        ptrdiff_t node = son[entry & 1023];
        if (node < T) {
            uint64_t b = rd.bits << taken;
            // The bit picks the table (son or son + 1) off the chain of loads, so each step down
            // is one dependent load.
            while (node < T) {
                taken++;
                node = son[node + ptrdiff_t(b >> 63)];
                b <<= 1;
            }
        }
        rd.bits <<= taken;
        rd.count -= int(taken);
        unsigned c = unsigned(SymbolOf(int(node)));
        huff.UpdateOutOfLine(int(c), taken);
        unsigned pos = 0;
        if (c >= 256) {
            // The upper six bits' prefix code and the lower six bits, 9 to 14 bits in all; the
            // first byte tells how many.
            if (rd.count < 14)
                rd.Refill();
            unsigned head = unsigned(rd.bits >> 56);
            unsigned low = rd.Take(kPos.d_len[head] + 6) & 0x3F;
            pos = unsigned(kPos.d_code[head]) << 6 | low;
        }
        // Zeros read past the end are no stream: stop before they make any output.
        if (rd.Overran())
            break;
        if (c < 256) {
            out_buf[fill++] = uint8_t(c);
            window[r] = uint8_t(c);
            r = (r + 1) & (N - 1);
            count++;
        } else {
            // The source start is fixed before copying; a position of 0 repeats the last byte.
            int i = (r - int(pos) - 1) & (N - 1);
            int j = int(c) - 255 + THRESHOLD;
            for (int k = 0; k < j; k++) {
                uint8_t v = window[(i + k) & (N - 1)];
                out_buf[fill + k] = v;
                window[r] = v;
                r = (r + 1) & (N - 1);
            }
            fill += j;
            count += uint32_t(j);
        }
        if (fill >= kChunk) {
            out_.PutBytes(out_buf, size_t(fill));
            fill = 0;
        }
    }
    if (fill)
        out_.PutBytes(out_buf, size_t(fill));
    reader_ = rd;
    return count >= textsize;
}

} // namespace

namespace {
// The working state holds a window of the text (a list with its password): wiped before it is freed.
template <class T> struct WipingDelete {
    void operator()(T* p) const {
        p->~T();
        WipeMemory(p, sizeof(T));
        ::operator delete(p);
    }
};
template <class T> using Wiped = std::unique_ptr<T, WipingDelete<T>>;
} // namespace

void LzhufEncode(const uint8_t* in, uint32_t n, ByteSink& out, LzhufEncodeProbe& probe) {
    Wiped<Encoder> encoder(new Encoder(out));
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
    Wiped<Decoder> decoder(new Decoder(buf, lengthOffset + 4, validCount, out));
    stats.complete = decoder->Decode(stats.length);
}

void LzhufDecode(const uint8_t* buf, size_t lengthOffset, size_t validCount, ByteSink& out) {
    LzhufDecodeStats stats;
    LzhufDecode(buf, lengthOffset, validCount, out, stats);
}
