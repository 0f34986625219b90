// Which event kept the UI thread busiest: an application that takes the processor time of every event it
// delivers from the event loop and names the heaviest (the receiver's class and object name, the event's
// type), with the heaviest event delivered within it, which says which widget or timer did the work.
#pragma once

#include "ThreadTime.h"

#include <QApplication>
#include <QEvent>
#include <QMetaEnum>
#include <QString>

class TimedApplication : public QApplication {
public:
    struct Heaviest {
        double ms = 0;
        QString what;
        double innerMs = 0;
        QString inner;
    };

    using QApplication::QApplication;

    void reset() { m_heaviest = {}; }
    const Heaviest& heaviest() const { return m_heaviest; }

    bool notify(QObject* receiver, QEvent* event) override {
        // Named before delivery: the receiver may be gone after it.
        const char* className = receiver->metaObject()->className();
        const QString objectName = receiver->objectName();
        const QEvent::Type type = event->type();
        const double start = threadProcessorMilliseconds();
        ++m_depth;
        const bool result = QApplication::notify(receiver, event);
        --m_depth;
        const double spent = threadProcessorMilliseconds() - start;
        if (m_depth == 1 && spent > m_innerMs) {
            m_innerMs = spent;
            m_inner = describe(className, objectName, type);
        } else if (m_depth == 0) {
            if (spent > m_heaviest.ms)
                m_heaviest = {spent, describe(className, objectName, type), m_innerMs, m_inner};
            m_innerMs = 0;
            m_inner.clear();
        }
        return result;
    }

private:
    static QString describe(const char* className, const QString& objectName, QEvent::Type type) {
        const char* typeName = QMetaEnum::fromType<QEvent::Type>().valueToKey(type);
        return QStringLiteral("%1%2 %3")
            .arg(QString::fromLatin1(className), objectName.isEmpty() ? QString() : " \"" + objectName + '"',
                 typeName ? QString::fromLatin1(typeName) : QString::number(type));
    }

    int m_depth = 0;
    double m_innerMs = 0;
    QString m_inner;
    Heaviest m_heaviest;
};
