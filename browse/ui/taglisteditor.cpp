#include "taglisteditor.h"

#include "browse/ui/caretline.h"
#include "dialogs/shareddialog.h"
#include "dialogs/ui/widgethelpers.h"

#include <QAction>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QVBoxLayout>

TagListEditor::TagListEditor(QWidget *mainWindow, const QString &text, const QRect &bounds,
    const QColor &editColor, const QFont &font)
    : QDialog(mainWindow)
    , m_startBounds(bounds)
    , m_bounds(bounds)
{
    setObjectName(QStringLiteral("TForm7"));
    setWindowTitle(tr("Tags - Exit with ESC"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
        | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    textEdit = new QPlainTextEdit(this);
    textEdit->setObjectName(QStringLiteral("Memo1"));
    textEdit->setPlainText(text);
    textEdit->setFont(font);
    setBaseColour(textEdit, editColor);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(textEdit);

    auto *deleteLine = new QAction(this);
    deleteLine->setObjectName(QStringLiteral("Action2"));
    deleteLine->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
    addAction(deleteLine);
    connect(deleteLine, &QAction::triggered, this, [this] { deleteCurrentLine(); });
    // The editor would take Ctrl+Y as its redo key.
    textEdit->installEventFilter(this);
    connect(textEdit, &QPlainTextEdit::textChanged, this, [this] { markModified(); });
}

QString TagListEditor::text() const
{
    return textEdit->toPlainText();
}

void TagListEditor::showEvent(QShowEvent *event)
{
    move(m_startBounds.topLeft());
    resize(m_startBounds.size());
    QDialog::showEvent(event);
    m_modified = false;
    textEdit->moveCursor(QTextCursor::Start);
    textEdit->setFocus();
}

bool TagListEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == textEdit && event->type() == QEvent::ShortcutOverride) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Y && key->modifiers() == Qt::ControlModifier) {
            event->ignore();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TagListEditor::markModified()
{
    m_modified = true;
}

void TagListEditor::escape()
{
    reject();
}

void TagListEditor::deleteCurrentLine()
{
    deleteCaretLine(textEdit);
}

void TagListEditor::done(int result)
{
    if (m_closing)
        return;
    m_closing = true;
    if (m_modified)
        m_save = showDialog(DialogKind::Confirmation, tr("Save changes ?")) == QLatin1String("1");
    m_bounds = QRect(pos(), size());
    QDialog::done(result);
    m_closing = false;
}
