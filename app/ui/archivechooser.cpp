#include "archivechooser.h"

#include "app/archivelist.h"
#include "app/settingslook.h"
#include "mainwindow.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>

ArchiveChooser::ArchiveChooser(const QStringList &names, const QString &current, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ArchiveChooser"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint);
    setFixedSize(167, 373);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    ListView1 = new QTreeWidget(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setColumnCount(1);
    ListView1->setHeaderLabels({ QStringLiteral("Name") });
    ListView1->setColumnWidth(0, 146);
    ListView1->header()->setSectionsClickable(false);
    ListView1->setRootIsDecorated(false);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    layout->addWidget(ListView1);
    for (const QString &name : names) {
        auto *item = new QTreeWidgetItem(ListView1, { name });
        if (!ListView1->currentItem() && sameArchiveName(name, current))
            ListView1->setCurrentItem(item);
    }
    connect(ListView1, &QTreeWidget::itemDoubleClicked, this,
        [this](QTreeWidgetItem *item) { chooseItem(item); });
    ListView1->installEventFilter(this);
    // Alt+F1 is the settings key of the main window; here it leaves, like Esc.
    auto *leave = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_F1), this);
    connect(leave, &QShortcut::activated, this, &QDialog::reject);
}

void ArchiveChooser::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    ListView1->setFocus();
    if (QTreeWidgetItem *item = ListView1->currentItem()) {
        item->setSelected(true);
        ListView1->scrollToItem(item);
    }
}

bool ArchiveChooser::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ListView1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // Enter without a selected entry does nothing, rather than closing the window.
            const QList<QTreeWidgetItem *> selected = ListView1->selectedItems();
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
    if (auto *form = qobject_cast<MainWindow *>(mainWindow)) {
        const AppState &state = form->state();
        QPalette pal = dialog.ListView1->palette();
        const QColor background = toQColor(state.settings.ViewColor, pal);
        if (background.isValid())
            pal.setColor(QPalette::Base, background);
        dialog.ListView1->setPalette(pal);
        dialog.ListView1->setFont(state.ViewFont);
    }
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
