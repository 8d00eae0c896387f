#include "unattended.h"

#include "dialogs/shareddialog.h"

#include <cstdio>

namespace unattended
{

namespace
{

    void say(const QString &line)
    {
        std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
        std::fflush(stderr);
    }

    class AnsweringPort : public DialogPort
    {
    public:
        DialogOutcome showModal(const DialogRequest &request) override
        {
            say(QStringLiteral("dialog %1: %2")
                    .arg(request.kind)
                    .arg(dialogMessageText(request.message)
                             .replace(QLatin1Char('\n'), QLatin1String(" | "))));
            return DialogOutcome {}; // code 0: Esc
        }
        void showWait(const DialogRequest &) override { }
        void closeWait() override { }
        void setWaitProgress(int) override { }
    };

} // namespace

bool active()
{
    return qEnvironmentVariable("TABULON_UNATTENDED") == QLatin1String("1");
}

void installDialogs()
{
    if (!active())
        return;
    static AnsweringPort port;
    installDialogPort(&port);
}

QString answerArchiveList(const QString &caption)
{
    say(QStringLiteral("archives: ") + caption);
    return QString();
}

void reportRunning()
{
    if (active())
        say(QStringLiteral("running"));
}

bool answerRootQuestion(
    const QString &caption, const QString &initialText, QString *answer, CatalogueChoices *)
{
    say(QStringLiteral("root: ") + caption);
    *answer = initialText;
    return !initialText.isEmpty();
}

} // namespace unattended
