#pragma once
// The work of the byte profile on whole 64-byte words, written once for any instruction set:
// each including translation unit supplies a classifier compiled for its own (SSE2 in one, AVX2
// and AVX-512 in others), and everything here is a template over it, so that each unit keeps its
// own instructions.
//
// A classifier provides `static Masks classify(const unsigned char* p)` for the 64 bytes at p.
// `classifyByLanes` builds one from vector operations; `Lanes` provides, for a vector V of
// kWidth bytes:
//   static V load(const unsigned char* p);
//   static V eq(V v, unsigned char c);                         bytes equal to c
//   static V inRange(V v, unsigned char lo, unsigned char hi); bytes in [lo, hi]
//   static V orV(V a, V b), andNot(V a, V b) (b and not a);
//   static std::uint64_t bits(V v);                            one bit per byte, low first
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/inspection_report.h"

namespace sorvek::byte_classes {

// Lines up to this length are counted by length, for the most frequent one.
inline constexpr std::size_t kLineHistogram = 4096;
// Bytes from the start of the file read as Shift-JIS. The line breaks and the bytes text does not
// hold are counted in the whole file; whether the text is Shift-JIS is judged from its start,
// which keeps the pass over a large file close to the speed of reading it.
inline constexpr std::int64_t kSjisSampleBytes = 4 << 20;

// What the profile carries from one word to the next.
struct ProfileState {
    ByteProfile profile;
    std::int64_t offset = 0;     // bytes followed so far
    bool afterCr = false;        // the last byte followed was a CR
    std::int64_t lineStart = 0;  // offset of the first byte of the current line
    bool leadPending = false;    // the last byte followed was a lead byte
    std::int64_t sjisEnd = 0;    // bytes read as Shift-JIS so far (from the start)
    std::vector<std::int64_t> lineLengths = std::vector<std::int64_t>(kLineHistogram, 0);
    std::int64_t longLines = 0;
    // Bytes from the start of the file read as Shift-JIS (exactly, whatever the blocks).
    std::int64_t sjisLimit = kSjisSampleBytes;
    // A part of a file that starts after its first byte: its first line began before it, so
    // the length of that line up to its first break is kept apart (`headLine`, once
    // `headOpen` is false) until the part is joined to the bytes before it. `firstByte`: the
    // part's first byte (-1 before any), which may be the LF of a CR LF pair across the cut.
    std::int64_t startOffset = 0;
    bool headOpen = false;
    std::int64_t headLine = 0;
    int firstByte = -1;
};

// Follows `words` × 64 bytes at `p`: with SSE2 (or byte by byte where there is none), with AVX2
// and with AVX-512 (BW and VBMI), which only a processor that has them may call.
void followWords(const unsigned char* p, std::size_t words, ProfileState& state);
void followWordsAvx2(const unsigned char* p, std::size_t words, ProfileState& state);
void followWordsAvx512(const unsigned char* p, std::size_t words, ProfileState& state);
bool avx512Available();
// Follows the `valid` (1..63) bytes at `p`, the end of a block.
void followTail(const unsigned char* p, int valid, ProfileState& state);
// Counts a line of `length` bytes (without its break).
void lineEnded(ProfileState& state, std::int64_t length);

struct Masks {
    std::uint64_t cr, lf;
    std::uint64_t nonText;    // control codes text does not hold, DEL
    std::uint64_t lead;       // Shift-JIS lead bytes: 0x81-0x9F, 0xE0-0xFC
    std::uint64_t badTrail;   // not a second byte: 0x00-0x3F, 0x7F, 0xFD-0xFF
    std::uint64_t badSingle;  // neither a character nor a lead byte: 0x80, 0xA0, 0xFD-0xFF
};

// The classes as bits of one byte per byte value, for classifiers that look bytes up.
enum ClassBit : std::uint8_t {
    kCr = 1,
    kLf = 2,
    kNonText = 4,
    kLead = 8,
    kBadTrail = 16,
    kBadSingle = 32
};
constexpr std::array<std::uint8_t, 256> classTable() {
    std::array<std::uint8_t, 256> t{};
    for (int b = 0; b < 256; ++b) {
        int c = 0;
        if (b == 0x0D) c |= kCr;
        if (b == 0x0A) c |= kLf;
        const bool allowed = b == 0x09 || b == 0x0A || b == 0x0C || b == 0x0D || b == 0x1A;
        if ((b < 0x20 && !allowed) || b == 0x7F) c |= kNonText;
        if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) c |= kLead;
        if (b <= 0x3F || b == 0x7F || b >= 0xFD) c |= kBadTrail;
        if (b == 0x80 || b == 0xA0 || b >= 0xFD) c |= kBadSingle;
        t[static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(c);
    }
    return t;
}

template <class Lanes>
struct ClassifyByLanes {
    // `kSjis`: the Shift-JIS classes too (otherwise they are left 0).
    template <bool kSjis>
    static Masks classify(const unsigned char* p) {
        Masks m{};
        for (int i = 0; i < 64; i += Lanes::kWidth) {
            const auto v = Lanes::load(p + i);
            const auto control = Lanes::inRange(v, 0x00, 0x1F);
            const auto allowed =
                Lanes::orV(Lanes::orV(Lanes::orV(Lanes::eq(v, 0x09), Lanes::eq(v, 0x0A)),
                                      Lanes::orV(Lanes::eq(v, 0x0C), Lanes::eq(v, 0x0D))),
                           Lanes::eq(v, 0x1A));
            const auto del = Lanes::eq(v, 0x7F);
            const auto high = Lanes::inRange(v, 0xFD, 0xFF);
            m.cr |= Lanes::bits(Lanes::eq(v, 0x0D)) << i;
            m.lf |= Lanes::bits(Lanes::eq(v, 0x0A)) << i;
            m.nonText |= Lanes::bits(Lanes::orV(Lanes::andNot(allowed, control), del)) << i;
            if constexpr (!kSjis) continue;
            m.lead |= Lanes::bits(
                          Lanes::orV(Lanes::inRange(v, 0x81, 0x9F), Lanes::inRange(v, 0xE0, 0xFC)))
                      << i;
            m.badTrail |=
                Lanes::bits(Lanes::orV(Lanes::orV(Lanes::inRange(v, 0x00, 0x3F), del), high)) << i;
            m.badSingle |=
                Lanes::bits(Lanes::orV(Lanes::orV(Lanes::eq(v, 0x80), Lanes::eq(v, 0xA0)), high))
                << i;
        }
        return m;
    }
};

template <class Classifier>
struct Profile {
    // What changes from word to word, kept apart from the state so that it can live in
    // registers for the length of a block.
    struct Hot {
        std::int64_t offset;
        std::int64_t lineStart;
        bool afterCr;
        bool leadPending;
        // Counts kept here and added to the profile at the end of the block; places are listed
        // only while the lists are not full.
        std::int64_t nonText = 0;
        std::int64_t invalidSjis = 0;
        bool listNonText = true;
        bool listInvalidSjis = true;
    };

    // Lists the places of the set bits of `mask` (bit 0 at `base`) in `found` as long as it
    // lists more; false once it is full.
    [[gnu::noinline]] static bool listPlaces(std::uint64_t mask, std::int64_t base,
                                             Occurrences& found) {
        while (mask != 0 && found.offsets.size() < kListedPlaces) {
            found.offsets.push_back(base + __builtin_ctzll(mask));
            mask &= mask - 1;
        }
        return found.offsets.size() < kListedPlaces;
    }

    // Follows one classified word of `valid` bytes (1..64); `kSjis`: read it as Shift-JIS too.
    template <bool kSjis>
    static void follow(ProfileState& s, Hot& h, const Masks& raw, int valid) {
        const std::uint64_t in = valid >= 64 ? ~0ull : (1ull << valid) - 1;
        const std::int64_t base = h.offset;
        ByteProfile& b = s.profile;

        // Line breaks: an LF right after a CR completes a CR LF pair, also across words. A CR
        // at the end of a word is counted as a lone CR until the next word starts with an LF,
        // which takes it back.
        const std::uint64_t breaks = (raw.cr | raw.lf) & in;
        if (breaks != 0 || h.afterCr) [[unlikely]] {
            const std::uint64_t cr = raw.cr & in;
            const std::uint64_t lf = raw.lf & in;
            const std::uint64_t pairedLf = lf & ((cr << 1) | (h.afterCr ? 1u : 0u));
            const int pairs = __builtin_popcountll(pairedLf);
            b.crlf += pairs;
            b.cr += __builtin_popcountll(cr) - pairs;
            b.lf += __builtin_popcountll(lf) - pairs;
            for (std::uint64_t m = breaks; m != 0; m &= m - 1) {
                const int i = __builtin_ctzll(m);
                const std::int64_t at = base + i;
                if (((pairedLf >> i) & 1) == 0) lineEnded(s, at - h.lineStart);
                h.lineStart = at + 1;
            }
            h.afterCr = (cr >> (valid - 1)) & 1;
        }

        const std::uint64_t nonText = raw.nonText & in;
        h.nonText += __builtin_popcountll(nonText);
        if (h.listNonText && nonText != 0) [[unlikely]] {
            h.listNonText = listPlaces(nonText, base, b.nonText);
        }

        if constexpr (kSjis) sjis(s, h, raw, valid, in, base);
        h.offset += valid;
    }

    static void sjis(ProfileState& s, Hot& h, const Masks& raw, int valid, std::uint64_t in,
                     std::int64_t base) {
        // Shift-JIS. A run of lead-range bytes that starts on a character boundary reads as
        // lead, second byte, lead, ...: the leads are the bytes at an even distance from the
        // run's start, found for all runs at once by one addition (as runs of escape characters
        // are found). The byte after each lead is its second byte; every other byte must be a
        // character of its own.
        constexpr std::uint64_t kEven = 0x5555555555555555ull;
        const std::uint64_t carried = h.leadPending ? 1u : 0u;
        const std::uint64_t lead = raw.lead & in & ~carried;
        const std::uint64_t starts = lead & ~(lead << 1);
        const std::uint64_t fromEven = lead & ~(lead + (starts & kEven));
        // A lead is at an even distance from its run's start: at an even position in a run
        // that starts at one, at an odd position in a run that starts at an odd one.
        const std::uint64_t leads = lead & ~(fromEven ^ kEven);
        const std::uint64_t seconds = ((leads << 1) | carried) & in;
        // Bytes that are neither characters nor lead bytes are never in `lead`.
        const std::uint64_t bad = (seconds & raw.badTrail) | (~seconds & in & raw.badSingle);
        h.invalidSjis += __builtin_popcountll(bad);
        if (h.listInvalidSjis && bad != 0) [[unlikely]] {
            h.listInvalidSjis = listPlaces(bad, base, s.profile.invalidSjis);
        }
        h.leadPending = (leads >> (valid - 1)) & 1;
    }

    static Hot load(const ProfileState& s) {
        Hot h{s.offset, s.lineStart, s.afterCr, s.leadPending};
        h.listNonText = s.profile.nonText.offsets.size() < kListedPlaces;
        h.listInvalidSjis = s.profile.invalidSjis.offsets.size() < kListedPlaces;
        return h;
    }
    static void store(const Hot& h, ProfileState& s) {
        s.offset = h.offset;
        s.lineStart = h.lineStart;
        s.afterCr = h.afterCr;
        s.leadPending = h.leadPending;
        s.profile.nonText.count += h.nonText;
        s.profile.invalidSjis.count += h.invalidSjis;
    }

    static void words(const unsigned char* p, std::size_t count, ProfileState& s) {
        Hot h = load(s);
        std::size_t w = 0;
        for (; w < count && h.offset < s.sjisLimit; ++w) {
            follow<true>(s, h, Classifier::template classify<true>(p + 64 * w), 64);
            s.sjisEnd = h.offset;
        }
        for (; w < count; ++w) {
            follow<false>(s, h, Classifier::template classify<false>(p + 64 * w), 64);
        }
        store(h, s);
    }

    static void tail(const unsigned char* p, int valid, ProfileState& s) {
        Hot h = load(s);
        if (h.offset < s.sjisLimit) {
            follow<true>(s, h, Classifier::template classify<true>(p), valid);
            s.sjisEnd = h.offset;
        } else {
            follow<false>(s, h, Classifier::template classify<false>(p), valid);
        }
        store(h, s);
    }
};

}  // namespace sorvek::byte_classes
