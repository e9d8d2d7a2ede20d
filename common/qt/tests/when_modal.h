// For widget tests of real dialogs: act on the next modal dialog once its exec() has shown it.
#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>

inline void whenModal(std::function<void(QWidget*)> action) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            action(w);
        }
    });
    timer->start();
}
