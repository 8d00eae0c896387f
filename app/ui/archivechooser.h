#pragma once

#include <QDialog>

class QTreeWidget;
class QTreeWidgetItem;

// The archive list "TForm8": a small modal window that lists the archives of the program
// folder and returns the one chosen. Switching, deleting and the missing-drive question
// all choose through it. Enter or a double-click on an entry chooses it; Esc, Alt+F1 and
// the close box leave without a choice.
class ArchiveChooser : public QDialog
{
    Q_OBJECT
public:
    // names in the order to show; the entry equal to current (letters a to z compared
    // without case) is selected when the window opens.
    ArchiveChooser(const QStringList &names, const QString &current, QWidget *parent = nullptr);

    // The chosen name after exec() returned Accepted, else empty.
    QString chosen() const { return m_chosen; }

    // Shows the window centred over mainWindow with caption, in the view look of the main
    // window (colour, font, grid lines), and returns the chosen name or an empty text.
    static QString choose(QWidget *mainWindow, const QString &caption, const QStringList &names,
        const QString &current);

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void chooseItem(QTreeWidgetItem *item);

    QTreeWidget *m_archiveList;
    QString m_chosen;
};
