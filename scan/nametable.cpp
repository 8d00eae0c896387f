#include "nametable.h"

#include "platform/codepage.h"

#include <cstring>

namespace
{

// Catalogued names are at most 80 characters; longer ones are upper-cased on the heap.
constexpr int kBuffer = 256;

struct Upper {
    unsigned char map[256];
    Upper()
    {
        for (int i = 0; i < 256; ++i)
            map[i] = codepage::upper(static_cast<unsigned char>(i));
    }
};

// Upper-cases name into out and returns its hash (FNV-1a), in one pass over the bytes.
quint32 upperAndHash(const char *name, int length, char *out)
{
    static const Upper upper;
    quint32 h = 2166136261u;
    for (int i = 0; i < length; ++i) {
        const unsigned char c = upper.map[static_cast<unsigned char>(name[i])];
        out[i] = static_cast<char>(c);
        h = (h ^ c) * 16777619u;
    }
    return h;
}

// A name upper-cased into a stack buffer (the heap only for unusually long names), with
// its hash.
// The same for UTF-8: upper-cased by whole characters first, then hashed.
quint32 utf8UpperAndHash(const char *name, int length, char *out)
{
    std::memcpy(out, name, size_t(length));
    utf8text::upperInPlace(out, length);
    quint32 h = 2166136261u;
    for (int i = 0; i < length; ++i)
        h = (h ^ static_cast<unsigned char>(out[i])) * 16777619u;
    return h;
}

struct UpperName {
    UpperName(const char *name, int length, const TextCodec &codec)
    {
        upper = stack;
        if (length > kBuffer) {
            heap.resize(length);
            upper = heap.data();
        }
        hash = codec.isUtf8() ? utf8UpperAndHash(name, length, upper)
                              : upperAndHash(name, length, upper);
    }
    UpperName(const UpperName &) = delete;
    UpperName &operator=(const UpperName &) = delete;

    QByteArray heap;
    char stack[kBuffer];
    char *upper;
    quint32 hash;
};

} // namespace

void NameTable::clear()
{
    m_chars.clear();
    m_starts.clear();
    m_hashes.clear();
    std::fill(m_slots.begin(), m_slots.end(), 0);
}

void NameTable::reserve(int names)
{
    m_starts.reserve(size_t(names));
    m_hashes.reserve(size_t(names));
    m_chars.reserve(qsizetype(names) * 16);
    size_t want = 16;
    while (want < size_t(names) * 2)
        want *= 2;
    if (want > m_slots.size()) {
        m_slots.assign(want, 0);
        for (int i = 0; i < size(); ++i) {
            int slot = 0;
            const int start = m_starts[size_t(i)];
            const int end = i + 1 < size() ? m_starts[size_t(i) + 1] : int(m_chars.size());
            lookup(m_chars.constData() + start, end - start, m_hashes[size_t(i)], &slot);
            m_slots[size_t(slot)] = i + 1;
        }
    }
}

void NameTable::grow()
{
    reserve(std::max(16, size() * 2));
}

int NameTable::lookup(const char *upper, int length, quint32 hash, int *slot) const
{
    const size_t mask = m_slots.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const int number = m_slots[i] - 1;
        if (number < 0) {
            *slot = int(i);
            return -1;
        }
        if (m_hashes[size_t(number)] != hash)
            continue;
        const int start = m_starts[size_t(number)];
        const int end = number + 1 < size() ? m_starts[size_t(number) + 1] : int(m_chars.size());
        if (end - start == length
            && std::memcmp(m_chars.constData() + start, upper, size_t(length)) == 0)
            return number;
    }
}

int NameTable::insert(const char *name, int length, bool *added)
{
    if (size_t(size() + 1) * 2 > m_slots.size())
        grow();
    UpperName key(name, length, *m_codec);
    int slot = 0;
    const int found = lookup(key.upper, length, key.hash, &slot);
    if (added)
        *added = found < 0;
    if (found >= 0)
        return found;
    const int number = size();
    m_starts.push_back(int(m_chars.size()));
    m_hashes.push_back(key.hash);
    m_chars.append(key.upper, length);
    m_slots[size_t(slot)] = number + 1;
    return number;
}

int NameTable::find(const char *name, int length) const
{
    if (m_slots.empty())
        return -1;
    UpperName key(name, length, *m_codec);
    int slot = 0;
    return lookup(key.upper, length, key.hash, &slot);
}
