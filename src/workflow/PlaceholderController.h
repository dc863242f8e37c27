#pragma once

#include "workflow/ScreenController.h"

// Stands in for a screen that is not built yet, and says so on screen.
class PlaceholderController : public ScreenController
{
    Q_OBJECT
    Q_PROPERTY(QString title READ title CONSTANT)
    Q_PROPERTY(QString note READ note NOTIFY noteChanged)

public:
    PlaceholderController(const QString& title, const QString& note, QObject* parent = nullptr)
        : ScreenController(parent), _title(title), _note(note)
    {
    }
    QString viewName() const override { return QStringLiteral("Placeholder"); }
    QString title() const { return _title; }
    QString note() const { return _note; }

Q_SIGNALS:
    void noteChanged();

protected:
    void setNote(const QString& note)
    {
        if (_note == note)
            return;
        _note = note;
        Q_EMIT noteChanged();
    }

private:
    QString _title;
    QString _note;
};
