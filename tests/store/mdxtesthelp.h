#pragma once

// Small helpers shared by the index tests: catalogue-like tags, keys, and whole-tag walks.

#include "store/mdxindex.h"

#include <QtTest>

#include <algorithm>
#include <random>

namespace mdxtest
{

using Entry = std::pair<QByteArray, quint32>;
using Entries = std::vector<Entry>;

inline std::vector<MdxTagSpec> catalogueTags()
{
    return {
        { "1", "DIR+UPPER(SUBSTR(NAME,1,20))", 100 },
        { "2", "DIR+DTOS(DATE)+UPPER(SUBSTR(NAME,1,10))", 98 },
        { "3", "DIR+CODE+UPPER(SUBSTR(NAME,1,10))", 100 },
        { "4", "DIR+UPPER(SUBSTR(NOTE,1,20))", 100 },
    };
}

// A key of the given length: the text, blank-padded.
inline QByteArray key(const QByteArray &text, int length = 100)
{
    QByteArray k = text.left(length);
    k.append(QByteArray(length - k.size(), ' '));
    return k;
}

// Keys in a folder-like shape: a few folders, names that repeat.
inline Entries sampleEntries(int count, int keyLength, unsigned seed)
{
    std::mt19937 rng(seed);
    Entries out;
    for (int i = 0; i < count; ++i) {
        const QByteArray dir = "DIR" + QByteArray::number(int(rng() % 7)) + "\\";
        const QByteArray name = "FILE" + QByteArray::number(int(rng() % (count / 3 + 1)));
        out.emplace_back(key(dir.leftJustified(80, ' ') + name, keyLength), quint32(i + 1));
    }
    return out;
}

inline Entries sorted(Entries e)
{
    std::sort(e.begin(), e.end(), [](const Entry &a, const Entry &b) {
        const int c = std::memcmp(a.first.constData(), b.first.constData(), size_t(a.first.size()));
        return c != 0 ? c < 0 : a.second < b.second;
    });
    return e;
}

// Builds an index whose tags all hold the same entries (cut to each tag's key length).
inline DbStatus buildWith(const QString &path, const Entries &entries,
    const std::vector<MdxTagSpec> &tags = catalogueTags())
{
    return MdxIndex::build(path, "CATALOG", tags, [&](int tag, MdxKeyList &list) {
        for (const Entry &e : entries)
            list.add(key(e.first, tags[size_t(tag)].keyLength).constData(), e.second);
        return DbStatus::ok();
    });
}

inline Entries walkForward(MdxIndex &idx, int tag, DbStatus *status = nullptr)
{
    Entries out;
    MdxIndex::Cursor c;
    DbStatus st = idx.first(tag, c);
    while (st && c.isValid() && out.size() < 2000000) {
        out.emplace_back(c.key(), c.recno());
        st = idx.next(c);
    }
    if (status)
        *status = st;
    return out;
}

inline Entries walkBackward(MdxIndex &idx, int tag)
{
    Entries out;
    MdxIndex::Cursor c;
    DbStatus st = idx.last(tag, c);
    while (st && c.isValid()) {
        out.emplace_back(c.key(), c.recno());
        st = idx.prior(c);
    }
    std::reverse(out.begin(), out.end());
    return out;
}

inline Entries verified(MdxIndex &idx, int tag, DbStatus &st)
{
    Entries out;
    const int len = idx.tagSpec(tag).keyLength;
    st = idx.verify(
        tag, [&](const char *k, quint32 r) { out.emplace_back(QByteArray(k, len), r); });
    return out;
}

} // namespace mdxtest
