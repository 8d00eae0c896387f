#include "whenmodal.h"

#include <QWidget>

void whenShown(const QString &objectName, std::function<void(QWidget *)> act)
{
    QTimer::singleShot(10, [objectName, act] {
        QWidget *w = QApplication::activeModalWidget();
        if (!w || w->objectName() != objectName || !w->isActiveWindow()) {
            whenShown(objectName, act);
            return;
        }
        act(w);
    });
}
