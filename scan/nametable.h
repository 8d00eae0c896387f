#pragma once

#include <QByteArray>

#include "platform/textcodec.h"

#include <vector>

// A set of upper-cased names (by the table's codec), numbered in the order they were added,
// for the walks that match every file of a folder against its records. The names live in one
// buffer and the slots in one array, so a folder of thousands of files costs a handful
// of allocations instead of several per file.
class NameTable
{
public:
    explicit NameTable(const TextCodec &codec = TextCodec::windows1252())
        : m_codec(&codec)
    {
    }

    void clear();
    void reserve(int names);
    int size() const { return int(m_starts.size()); }

    // Upper-cases name and adds it unless present. Returns its number; *added tells
    // whether it is new.
    int insert(const char *name, int length, bool *added = nullptr);
    // The number of the name (upper-cased here), -1 when absent.
    int find(const char *name, int length) const;
    int find(const QByteArray &name) const { return find(name.constData(), int(name.size())); }

private:
    int lookup(const char *upper, int length, quint32 hash, int *slot) const;
    void grow();

    const TextCodec *m_codec;
    QByteArray m_chars;
    std::vector<int> m_starts; // by number: offset in m_chars (the end is the next start)
    std::vector<quint32> m_hashes; // by number
    std::vector<int> m_slots; // open addressing: number + 1, 0 for free
};
