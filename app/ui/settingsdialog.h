#pragma once

#include "app/settingsdialogvalues.h"

#include <QDialog>

#include <array>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QToolButton;

// The settings dialog "TForm4": two pages ("&View - F5", "&Parameters - F6") over copies
// of the settings. It is filled from SettingsDialogValues and hands them back through
// values() after OK; nothing is assigned while it is open, so Cancel (Esc, the close box)
// keeps every setting as it was. The caller assigns the values and applies the view look.
class SettingsDialog : public QDialog
{
    Q_OBJECT
public:
    // The platform's colour, font and file dialogs, replaced by tests. The colour and font
    // choosers return what the dialog holds when it closes: after Cancel the value it
    // opened with. The file chooser returns the chosen file's full name, or empty.
    struct Choosers {
        std::function<QColor(const QColor &initial)> colour;
        std::function<QFont(const QFont &initial)> font;
        std::function<QString(const QString &current)> file;
    };
    // The standard dialogs of the platform.
    static Choosers platformChoosers();

    // values: the controls' contents. inForce: the settings in force, which the font
    // dialogs open with.
    SettingsDialog(const SettingsDialogValues &values, const Settings &inForce, Choosers choosers,
        QWidget *parent = nullptr);

    // The controls' contents, margin fields repaired as on leaving them.
    SettingsDialogValues values() const;

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *createViewPage();
    QWidget *createParameterPage();
    QLabel *createSample(const char *name, const QString &caption);
    QToolButton *createIconButton(const char *name, const QIcon &icon);
    QPushButton *createBrowseButton(const char *name);
    // Short fields, paths (wide, kept as typed), lower-case texts (wide, letters typed
    // appear in lower case).
    enum class FieldKind { Short, Path, LowerCase };
    QLineEdit *createEdit(const char *name, FieldKind kind = FieldKind::Short);
    QComboBox *createList(const char *name, const QStringList &items, int index);
    void fill(const SettingsDialogValues &v);
    void showSamples();
    void sampleClicked(QObject *sample);
    void chooseColour(quint32 *colour);
    void chooseViewFont();
    void choosePrintFont();
    void chooseFile(QLineEdit *edit);
    void repairMarginsAndAccept();

    SettingsDialogValues m_values; // colours and fonts; the texts live in their controls
    const FontSettings m_viewFontInForce;
    const QString m_printFontInForce;
    Choosers m_choosers;

    QTabWidget *m_pages;
    QLabel *m_viewColourSample; // view colour sample
    QLabel *m_editColourSample; // edit colour sample
    QLabel *m_toolbarColourSample; // function-key toolbar colour sample
    QLabel *m_viewFontPanel; // view font name
    QLabel *m_printFontPanel; // print font name
    QLabel *m_proportionalFontLabel; // "Standard PS"
    QLabel *m_fixedFontLabel; // "Standard FS"
    QLineEdit *m_viewerPathEdit; // viewer
    QLineEdit *m_viewerExtensionsEdit; // extensions
    QLineEdit *m_viewerParamsEdit; // parameters
    QLineEdit *m_viewerDelayEdit; // delay
    QLineEdit *m_fileManagerEdit; // file manager
    std::array<QLineEdit *, 4> m_margins; // "Edit3" to "Edit6": top, left, bottom, right
    QComboBox *m_gridLinesComboBox; // grid lines
    QComboBox *m_folderListComboBox; // folder list
    QComboBox *m_deleteEmptyComboBox; // delete empty directories
    QComboBox *m_searchInTextComboBox; // search in text
    QComboBox *m_startArchiveComboBox; // start archive
    QComboBox *m_folderInfoComboBox; // folder info file
    QComboBox *m_extensionlessComboBox; // files without extension (the catalogue's)
    QPushButton *m_okButton; // OK
    QPushButton *m_cancelButton; // Cancel
};
