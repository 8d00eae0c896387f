#include "shareddialog.h"

#include <QtGlobal>

namespace
{

DialogPort *&portSlot()
{
    static DialogPort *port = nullptr;
    return port;
}

bool isInputKind(int kind)
{
    return kind == DialogKind::DateInput || kind == DialogKind::TextInput;
}

// A part of a yyyymmdd text as a number; -1 when it is empty or holds a non-digit.
int ymdPart(const QString &ymd, int from, int length)
{
    const QString part = ymd.mid(from, length);
    if (part.isEmpty())
        return -1;
    for (const QChar c : part) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
    }
    return part.toInt();
}

} // namespace

DialogRole dialogRole(int kind)
{
    if (kind <= 0)
        return DialogRole::Wait;
    if ((kind >= 1 && kind <= 5) || (kind >= 8 && kind <= 10))
        return DialogRole::Modal;
    return DialogRole::None;
}

DialogPort *installDialogPort(DialogPort *port)
{
    DialogPort *previous = portSlot();
    portSlot() = port;
    return previous;
}

DialogPort *dialogPort()
{
    return portSlot();
}

void showDialog(
    int kind, const QString &message, const QString &option, QString &result, int language)
{
    result.clear();
    const DialogRole role = dialogRole(kind);
    if (role == DialogRole::None)
        return;
    const DialogRequest request { kind, message, option, language };
    DialogPort *port = portSlot();
    if (!port) {
        qWarning("ShowDialog without a dialog window (kind %d): %s", kind, qPrintable(message));
        if (role == DialogRole::Modal)
            result = dialogAnswer(kind, DialogOutcome());
        return;
    }
    if (role == DialogRole::Wait) {
        port->showWait(request);
        return;
    }
    result = dialogAnswer(kind, port->showModal(request));
}

QString showDialog(int kind, const QString &message, const QString &option, int language)
{
    QString result;
    showDialog(kind, message, option, result, language);
    return result;
}

void closeWaitDialog()
{
    if (DialogPort *port = portSlot())
        port->closeWait();
}

void setWaitProgress(int percent)
{
    if (DialogPort *port = portSlot())
        port->setWaitProgress(qBound(0, percent, 100));
}

QString escAnswer()
{
    return QString(QChar(27));
}

bool isEscAnswer(const QString &answer)
{
    return answer.size() == 1 && answer.at(0) == QChar(27);
}

QString dialogAnswer(int kind, const DialogOutcome &outcome)
{
    if (dialogRole(kind) != DialogRole::Modal)
        return QString();
    if (isInputKind(kind))
        return outcome.code == 1 ? outcome.value : escAnswer();
    return QString::number(outcome.code);
}

QString dialogMessageText(const QString &message)
{
    QString text = message;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QDate zeroDate()
{
    return QDate(1899, 12, 30);
}

QString dateToYmd(const QDate &date)
{
    if (!date.isValid() || date == zeroDate())
        return QString();
    return date.toString(QStringLiteral("yyyyMMdd"));
}

QString dateToYmd(const QDateTime &dateTime)
{
    return dateToYmd(dateTime.date());
}

QDate ymdToDate(const QString &ymd)
{
    const int year = ymdPart(ymd, 0, 4);
    const int month = ymdPart(ymd, 4, 2);
    const int day = ymdPart(ymd, 6, 2);
    if (year < 0 || month < 0 || day < 0)
        return zeroDate();
    const QDate date(year, month, day);
    return date.isValid() ? date : zeroDate();
}

QString padToWidth(const QString &text, int width)
{
    if (width <= 0)
        return QString();
    return text.leftJustified(width, QLatin1Char(' '), true);
}

QByteArray padToWidth(const QByteArray &text, int width)
{
    if (width <= 0)
        return QByteArray();
    return text.leftJustified(width, ' ', true);
}

QString shortenLeft(const QString &text)
{
    if (text.size() <= 20)
        return text;
    return QStringLiteral("...") + text.right(20);
}

QString repeatText(const QString &text, int count)
{
    return count <= 0 ? QString() : text.repeated(count);
}

QByteArray repeatText(const QByteArray &text, int count)
{
    return count <= 0 ? QByteArray() : text.repeated(count);
}

QString errorBoxText(const QString &failure)
{
    // Texts that already end in punctuation sorting before "." (such as "!" or ")") keep
    // their ending; everything else reads as a sentence.
    if (!failure.isEmpty() && failure.back() > QLatin1Char('.'))
        return failure + QLatin1Char('.');
    return failure;
}
