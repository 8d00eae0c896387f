#include "archivechooser.h"

#include "app/archivelist.h"
#include "mainwindow.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QShortcut>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace
{

// The list's grid lines: drawn below and right of every entry while the view look has
// switched them on (the "gridLines" property of the list).
class GridLineDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
        const QModelIndex &index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        const QWidget *view = option.widget;
        if (!view || !view->property("gridLines").toBool())
            return;
        painter->save();
        painter->setPen(option.palette.color(QPalette::Mid));
        painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
        painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
        painter->restore();
    }
};

} // namespace

ArchiveChooser::ArchiveChooser(const QStringList &names, const QString &current, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TForm8"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint);
    setFixedSize(167, 373);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_archiveList = new QTreeWidget(this);
    m_archiveList->setObjectName(QStringLiteral("ListView1"));
    m_archiveList->setColumnCount(1);
    m_archiveList->setHeaderLabels({ tr("Name") });
    m_archiveList->setColumnWidth(0, 146);
    m_archiveList->header()->setSectionsClickable(false);
    m_archiveList->setRootIsDecorated(false);
    m_archiveList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_archiveList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_archiveList->setItemDelegate(new GridLineDelegate(m_archiveList));
    layout->addWidget(m_archiveList);
    for (const QString &name : names) {
        auto *item = new QTreeWidgetItem(m_archiveList, { name });
        if (!m_archiveList->currentItem() && sameArchiveName(name, current))
            m_archiveList->setCurrentItem(item);
    }
    connect(m_archiveList, &QTreeWidget::itemDoubleClicked, this,
        [this](QTreeWidgetItem *item) { chooseItem(item); });
    m_archiveList->installEventFilter(this);
    // Alt+F1 is the settings key of the main window; here it leaves, like Esc.
    auto *leave = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_F1), this);
    connect(leave, &QShortcut::activated, this, &QDialog::reject);
}

void ArchiveChooser::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_archiveList->setFocus();
    if (QTreeWidgetItem *item = m_archiveList->currentItem()) {
        item->setSelected(true);
        m_archiveList->scrollToItem(item);
    }
}

bool ArchiveChooser::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_archiveList && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // Enter without a selected entry does nothing, rather than closing the window.
            const QList<QTreeWidgetItem *> selected = m_archiveList->selectedItems();
            if (!selected.isEmpty())
                chooseItem(selected.first());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ArchiveChooser::chooseItem(QTreeWidgetItem *item)
{
    if (!item)
        return;
    m_chosen = item->text(0);
    accept();
}

QString ArchiveChooser::choose(
    QWidget *mainWindow, const QString &caption, const QStringList &names, const QString &current)
{
    ArchiveChooser dialog(names, current, mainWindow);
    dialog.setWindowTitle(caption);
    // The views' colour, font and grid lines, as every list of the program has them.
    if (auto *form = qobject_cast<MainWindow *>(mainWindow))
        form->applyViewLook(&dialog);
    if (mainWindow) {
        // Centred over the main window, also while it is not shown yet at start-up.
        const QRect main = mainWindow->frameGeometry();
        dialog.move(main.left() + (main.width() - dialog.width()) / 2,
            main.top() + (main.height() - dialog.height()) / 2);
    }
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.chosen();
}
