#pragma once

#include <QPlainTextEdit>
#include <QTextBlock>

// Ctrl+Y in a text editor: the caret's line goes, with the line break that ends it (the
// last line takes the break before it).
inline void deleteCaretLine(QPlainTextEdit *editor)
{
    QTextCursor cursor = editor->textCursor();
    const QTextBlock block = cursor.block();
    int from = block.position();
    int to = block.position() + block.length() - 1;
    if (block.next().isValid())
        ++to;
    else if (block.previous().isValid())
        --from;
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    editor->setTextCursor(cursor);
}
