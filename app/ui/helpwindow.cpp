#include "helpwindow.h"

#include <QAction>
#include <QDesktopServices>
#include <QFileInfo>
#include <QHeaderView>
#include <QScrollBar>
#include <QSplitter>
#include <QStyle>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

HelpWindow::HelpWindow(const QString &helpFile)
    : QWidget(nullptr, Qt::Window)
    , m_helpFile(helpFile)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(860, 620);

    auto *bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("HelpToolBar"));
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    auto *splitter = new QSplitter(Qt::Horizontal, this);
    m_contents = new QTreeWidget(splitter);
    m_contents->setObjectName(QStringLiteral("Contents"));
    m_contents->setHeaderLabel(tr("Contents"));
    m_contents->header()->setSectionsClickable(false);
    m_text = new QTextBrowser(splitter);
    m_text->setObjectName(QStringLiteral("HelpText"));
    m_text->setOpenLinks(true);
    m_text->setOpenExternalLinks(true);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({ 270, 590 });

    auto *back = bar->addAction(
        style()->standardIcon(QStyle::SP_ArrowBack), tr("Back"), m_text, &QTextBrowser::backward);
    back->setObjectName(QStringLiteral("Back"));
    back->setShortcut(QKeySequence::Back);
    back->setEnabled(false);
    auto *forward = bar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), tr("Forward"),
        m_text, &QTextBrowser::forward);
    forward->setObjectName(QStringLiteral("Forward"));
    forward->setShortcut(QKeySequence::Forward);
    forward->setEnabled(false);
    auto *home = bar->addAction(style()->standardIcon(QStyle::SP_DirHomeIcon), tr("Contents"), this,
        &HelpWindow::showDefaultTopic);
    home->setObjectName(QStringLiteral("Home"));
    home->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Home));
    auto *closeAction = new QAction(this);
    closeAction->setShortcut(QKeySequence(Qt::Key_Escape));
    addAction(closeAction);
    connect(closeAction, &QAction::triggered, this, &QWidget::close);
    connect(m_text, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(m_text, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
    connect(m_text, &QTextBrowser::sourceChanged, this, [this] { markTopic(); });
    connect(m_contents, &QTreeWidget::itemActivated, this,
        [this](QTreeWidgetItem *item) { showTopic(item->data(0, Qt::UserRole).toString()); });
    connect(m_contents, &QTreeWidget::itemClicked, this,
        [this](QTreeWidgetItem *item) { showTopic(item->data(0, Qt::UserRole).toString()); });

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(bar);
    column->addWidget(splitter, 1);

    m_text->setSource(QUrl::fromLocalFile(QFileInfo(helpFile).absoluteFilePath()));
    const QString title = m_text->documentTitle();
    setWindowTitle(title.isEmpty() ? tr("Tabulon Help") : title);
    readTopics();
    fillContents();
}

void HelpWindow::showDefaultTopic()
{
    const QUrl file = QUrl::fromLocalFile(QFileInfo(m_helpFile).absoluteFilePath());
    if (m_text->source() != file)
        m_text->setSource(file);
    m_text->verticalScrollBar()->setValue(0);
}

void HelpWindow::showTopic(const QString &anchor)
{
    if (anchor.isEmpty())
        return;
    QUrl url = QUrl::fromLocalFile(QFileInfo(m_helpFile).absoluteFilePath());
    url.setFragment(anchor);
    m_text->setSource(url);
}

// The headings of the guide, with the first anchor each carries (an id on the heading, or
// a named link inside it).
void HelpWindow::readTopics()
{
    m_topics.clear();
    const QTextDocument *doc = m_text->document();
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level < 1 || level > 3)
            continue;
        Topic topic;
        topic.level = level;
        topic.title = block.text().simplified();
        for (auto it = block.begin(); !it.atEnd() && topic.anchor.isEmpty(); ++it) {
            const QStringList names = it.fragment().charFormat().anchorNames();
            if (!names.isEmpty())
                topic.anchor = names.first();
        }
        if (!topic.title.isEmpty())
            m_topics << topic;
    }
}

void HelpWindow::fillContents()
{
    m_contents->clear();
    QTreeWidgetItem *parents[4] = {};
    for (const Topic &topic : std::as_const(m_topics)) {
        QTreeWidgetItem *parent = nullptr;
        for (int level = topic.level - 1; level >= 1 && !parent; --level)
            parent = parents[level];
        auto *item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_contents);
        item->setText(0, topic.title);
        item->setData(0, Qt::UserRole, topic.anchor);
        parents[topic.level] = item;
        for (int deeper = topic.level + 1; deeper <= 3; ++deeper)
            parents[deeper] = nullptr;
    }
    m_contents->expandToDepth(0);
}

// The contents entry of the topic shown, so that Back and Forward keep the place visible;
// none for a place that is no topic (the start of the guide).
void HelpWindow::markTopic()
{
    const QString anchor = m_text->source().fragment();
    QTreeWidgetItem *entry = nullptr;
    for (QTreeWidgetItemIterator it(m_contents); *it && !anchor.isEmpty() && !entry; ++it)
        if ((*it)->data(0, Qt::UserRole).toString() == anchor)
            entry = *it;
    const QSignalBlocker quiet(m_contents);
    if (!entry) {
        m_contents->setCurrentItem(nullptr);
        m_contents->clearSelection();
        return;
    }
    m_contents->setCurrentItem(entry);
    m_contents->scrollToItem(entry);
}
