#include "taglisteditor.h"

#include "browse/ui/caretline.h"
#include "dialogs/shareddialog.h"
#include "dialogs/ui/widgethelpers.h"

#include <QAction>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace
{

const QString kSaveQuestion = QStringLiteral("Save changes ?");

} // namespace

TagListEditor::TagListEditor(QWidget *mainWindow, const QString &text, const QRect &bounds,
    const QColor &editColor, const QFont &font)
    : QDialog(mainWindow)
    , m_startBounds(bounds)
    , m_bounds(bounds)
{
    setObjectName(QStringLiteral("TForm7"));
    setWindowTitle(QStringLiteral("Tags - Exit with ESC"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
        | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setPlainText(text);
    Memo1->setFont(font);
    setBaseColour(Memo1, editColor);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Memo1);

    auto *deleteLine = new QAction(this);
    deleteLine->setObjectName(QStringLiteral("Action2"));
    deleteLine->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
    addAction(deleteLine);
    connect(deleteLine, &QAction::triggered, this, [this] { Action2Execute(); });
    // The editor would take Ctrl+Y as its redo key.
    Memo1->installEventFilter(this);
    connect(Memo1, &QPlainTextEdit::textChanged, this, [this] { Memo1Change(); });
}

QString TagListEditor::text() const
{
    return Memo1->toPlainText();
}

void TagListEditor::showEvent(QShowEvent *event)
{
    move(m_startBounds.topLeft());
    resize(m_startBounds.size());
    QDialog::showEvent(event);
    m_modified = false;
    Memo1->moveCursor(QTextCursor::Start);
    Memo1->setFocus();
}

bool TagListEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Memo1 && event->type() == QEvent::ShortcutOverride) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Y && key->modifiers() == Qt::ControlModifier) {
            event->ignore();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TagListEditor::Memo1Change()
{
    m_modified = true;
}

void TagListEditor::Action1Execute()
{
    reject();
}

void TagListEditor::Action2Execute()
{
    deleteCaretLine(Memo1);
}

void TagListEditor::done(int result)
{
    if (m_closing)
        return;
    m_closing = true;
    if (m_modified)
        m_save = ShowDialog(DialogKind::Confirmation, kSaveQuestion) == QLatin1String("1");
    m_bounds = QRect(pos(), size());
    QDialog::done(result);
    m_closing = false;
}
