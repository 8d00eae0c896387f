#pragma once

#include "store/dbstatus.h"
#include "views/ui/mainviews.h"

#include <QObject>
#include <QString>

#include <functional>

class BrowseViews;
class CatalogTable;
class QWidget;

// The tag commands of the main window: add a tag to the current file (Insert), delete one
// from it (Delete), replace tags over a folder or all folders (Ctrl+R, the replace-tags
// dialog), the tag filter on and off (F9) and the archive's tag list (Ctrl+K, the tag list
// editor). The filter string and the last tag typed live for the run; the filter itself
// is the table's, switched off also by the walks that must see every record.
class TagCommands : public QObject
{
    Q_OBJECT
public:
    TagCommands(AppState &state, BrowseViews &views, StatusPanels &panels);

    void addTag();
    void deleteTag();
    void replaceTags();
    void filterTags();
    void editTagList();

    const QString &lastTag() const { return m_lastTag; }
    const QString &tagFilter() const { return m_tagFilter; }

private:
    QString askTag(const QString &prompt);
    DbStatus changeCurrentTags(const std::function<QString(const QString &)> &change);
    void replaceTags(const QString &from, const QString &to, bool allFolders);
    DbStatus switchFilterOn();
    DbStatus switchFilterOff();
    QWidget *mainWindow() const;

    AppState &m_state;
    BrowseViews &m_views;
    StatusPanels &m_panels;
    QString m_lastTag;
    QString m_tagFilter;
};
