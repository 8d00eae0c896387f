#include "dialoglayout.h"

#include <QCoreApplication>
#include <QUrl>

namespace
{

bool german(int language)
{
    return language == 1;
}

// A caller that asks for German gets it as it stands; otherwise the English text in the
// program's language.
QString pick(int language, const char *english, const char *germanText)
{
    return german(language) ? QString::fromUtf8(germanText)
                            : QCoreApplication::translate("Dialogs", english);
}

DialogLayout messageLayout(const QString &caption, DialogIcon icon)
{
    DialogLayout layout;
    layout.caption = caption;
    layout.icon = icon;
    layout.baseHeight = 118;
    layout.singleButton = true;
    layout.okCaption = QCoreApplication::translate("Dialogs", "OK");
    return layout;
}

DialogLayout questionLayout(const QString &caption, DialogIcon icon, int language)
{
    DialogLayout layout;
    layout.caption = caption;
    layout.icon = icon;
    layout.baseHeight = 118;
    layout.buttonPair = true;
    layout.yesCaption = pick(language, QT_TRANSLATE_NOOP("Dialogs", "&Yes"), "&Ja");
    layout.noCaption = pick(language, QT_TRANSLATE_NOOP("Dialogs", "&No"), "&Nein");
    return layout;
}

DialogLayout inputLayout(int language)
{
    DialogLayout layout;
    layout.caption = pick(language, QT_TRANSLATE_NOOP("Dialogs", "Input"), "Eingabe");
    layout.icon = DialogIcon::Input;
    layout.baseHeight = 146;
    layout.buttonPair = true;
    layout.yesCaption = QCoreApplication::translate("Dialogs", "OK");
    layout.noCaption = pick(language, QT_TRANSLATE_NOOP("Dialogs", "Cancel"), "Abbrechen");
    return layout;
}

} // namespace

DialogLayout dialogLayout(int kind, int language)
{
    const QString warning = pick(language, QT_TRANSLATE_NOOP("Dialogs", "Warning"), "Warnung");
    if (kind <= 0) {
        DialogLayout layout;
        layout.caption
            = pick(language, QT_TRANSLATE_NOOP("Dialogs", "Please wait ..."), "Bitte warten ...");
        layout.icon = DialogIcon::Wait;
        layout.progressBar = kind == -1;
        layout.baseHeight = layout.progressBar ? 110 : 85;
        return layout;
    }
    switch (kind) {
    case 1:
        return messageLayout(warning, DialogIcon::Warning);
    case 2:
        return messageLayout(
            pick(language, QT_TRANSLATE_NOOP("Dialogs", "Error"), "Fehler"), DialogIcon::Error);
    case 3:
        return messageLayout(
            QCoreApplication::translate("Dialogs", "Information"), DialogIcon::Information);
    case 4:
        return questionLayout(
            pick(language, QT_TRANSLATE_NOOP("Dialogs", "Confirmation"), "Bestätigung"),
            DialogIcon::Question, language);
    case 5:
        return questionLayout(warning, DialogIcon::Warning, language);
    case 8: {
        DialogLayout layout = inputLayout(language);
        layout.dateField = true;
        return layout;
    }
    case 9: {
        DialogLayout layout = inputLayout(language);
        layout.textField = true;
        return layout;
    }
    case 10: {
        DialogLayout layout
            = messageLayout(QCoreApplication::translate("Dialogs", "Info ..."), DialogIcon::About);
        layout.baseHeight = 150;
        layout.link = true;
        return layout;
    }
    default:
        return DialogLayout();
    }
}

int dialogHeight(int baseHeight, int labelHeight)
{
    return labelHeight <= 32 ? baseHeight : baseHeight + (labelHeight - 32);
}

QPoint centredPosition(const QRect &owner, const QSize &size)
{
    // Plain int division: it truncates toward zero, also when the window is wider than
    // its owner, which is how the position has always been computed.
    return QPoint(owner.left() + (owner.width() - size.width()) / 2,
        owner.top() + (owner.height() - size.height()) / 2);
}

QString dialogLink(const QString &option)
{
    const QUrl url(option, QUrl::TolerantMode);
    const bool address = url.isValid() && !url.isRelative()
        && (url.isLocalFile() || url.scheme() == QLatin1String("http")
            || url.scheme() == QLatin1String("https"));
    return address ? option : QString();
}

bool focusOnNo(int kind, const QString &option)
{
    return (kind == 4 || kind == 5) && option == QLatin1String("2");
}
