#pragma once

#include <QApplication>
#include <QString>
#include <QTimer>

#include <functional>

// Answering the program's modal windows. A modal window's event loop blocks the test until
// it closes: a test arms one of these, then runs the command that opens the window, and act
// closes it (and checks nothing, since a failed check cannot end the blocked test).

// Acts on the next modal window of type T as soon as it is up.
template <typename T> void whenModal(std::function<void(T *)> act)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        auto *window = qobject_cast<T *>(QApplication::activeModalWidget());
        if (!window)
            return;
        timer->stop();
        timer->deleteLater();
        act(window);
    });
    timer->start();
}

// Acts on the modal window of that object name once it is shown and active.
void whenShown(const QString &objectName, std::function<void(QWidget *)> act);
