#pragma once

#include "platform/desktopapps.h"

#include <QDialog>

#include <functional>
#include <vector>

class QListWidget;
class QPushButton;

// The open-with chooser: the applications that declare the file's type, and any other
// program picked with a file dialog. It only chooses; the caller starts the choice.
class OpenWithDialog : public QDialog
{
    Q_OBJECT
public:
    OpenWithDialog(const QString &file, std::vector<desktopapps::Application> applications,
        QWidget *parent = nullptr);

    // The application picked in the list; null when none was, or another program was.
    const desktopapps::Application *chosenApplication() const;
    // The program picked by "Other program ..."; empty when none was.
    QString chosenProgram() const { return m_program; }

    // The file dialog of "Other program ...": the chosen file or an empty text. Tests
    // replace it.
    void setProgramChooser(std::function<QString()> chooser)
    {
        m_chooseProgram = std::move(chooser);
    }

private:
    void chooseOtherProgram();

    std::vector<desktopapps::Application> m_apps;
    QListWidget *m_list = nullptr;
    QPushButton *m_ok = nullptr;
    QString m_program;
    std::function<QString()> m_chooseProgram;
};
