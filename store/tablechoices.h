#pragma once

#include "platform/textcodec.h"

#include <QtGlobal>

// The two choices a catalogue is made with, kept in its table file (byte 30 of the header,
// dbfformat.md), so that the program and tabulon-cli apply the same rules to the same
// table wherever it is copied. A default table has neither.
struct TableChoices {
    // Texts (DIR, NAME, NOTE, CODE, SIZE) in UTF-8 rather than Windows-1252. Made when the
    // table is created; changed later only by converting the whole table.
    bool unicode = false;
    // Files whose names have no "." after their first character (README, Makefile,
    // .bashrc) are catalogued too. May be switched at any time: it decides which names the
    // next update takes.
    bool extensionless = false;

    static constexpr quint8 ExtensionlessBit = 0x01;
    static constexpr quint8 UnicodeBit = 0x02;

    const TextCodec &codec() const
    {
        return unicode ? TextCodec::utf8() : TextCodec::windows1252();
    }
    quint8 flags() const
    {
        return quint8((extensionless ? ExtensionlessBit : 0) | (unicode ? UnicodeBit : 0));
    }
    static TableChoices fromFlags(quint8 flags)
    {
        return { (flags & UnicodeBit) != 0, (flags & ExtensionlessBit) != 0 };
    }
    bool operator==(const TableChoices &o) const
    {
        return unicode == o.unicode && extensionless == o.extensionless;
    }
    bool operator!=(const TableChoices &o) const { return !(*this == o); }
};
