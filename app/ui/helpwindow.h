#pragma once

#include <QList>
#include <QString>
#include <QWidget>

class QTextBrowser;
class QTreeWidget;
class QTreeWidgetItem;

// A window of the program's help: the user guide (an HTML file) with its contents, the
// guide's headings, beside the text, and Back, Forward and Contents to move through it.
// Links to the web open in the desktop's browser. The window belongs to no other window
// and deletes itself when closed.
class HelpWindow : public QWidget
{
    Q_OBJECT
public:
    explicit HelpWindow(const QString &helpFile);

    QString helpFile() const { return m_helpFile; }
    // The guide from its beginning, its default topic.
    void showDefaultTopic();

    // A heading of the guide: level 1 to 3, its text and the anchor it can be shown by.
    struct Topic {
        int level = 1;
        QString title;
        QString anchor;
    };
    QList<Topic> topics() const { return m_topics; }
    // Shows a topic by its anchor, as a click on its contents entry does.
    void showTopic(const QString &anchor);

private:
    void readTopics();
    void fillContents();
    void markTopic();

    QString m_helpFile;
    QList<Topic> m_topics;
    QTreeWidget *m_contents = nullptr;
    QTextBrowser *m_text = nullptr;
};
