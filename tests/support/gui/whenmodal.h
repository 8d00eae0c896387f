#pragma once

#include <QApplication>
#include <QTimer>

#include <functional>

// Acts on the next modal window of type T as soon as it is up: a test arms it, then runs
// the command that opens the window and waits in its exec().
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
