#pragma once

#include <QObject>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <functional>

// Alerts, action sheets, transient notices and popovers, as controllers ask for
// them. Nothing blocks waiting for an answer: answers come back through the
// callbacks, on the main thread, once the salesman has chosen. The QML
// interface implements this; tests use a recording fake.
class Dialogs
{
public:
    // The chosen button: its position among the buttons as given, and its title.
    using Answer = std::function<void(int index, const QString& title)>;
    // The chosen button and the texts of the entry fields.
    using TextAnswer = std::function<void(int index, const QString& title, const QStringList& texts)>;

    virtual ~Dialogs() = default;

    // An alert with a title, a message and its buttons (index 0 first).
    virtual void showAlert(const QString& title, const QString& message, const QStringList& buttons,
                           Answer answer = {}) = 0;
    // An alert holding text fields, each starting with the given text.
    virtual void showTextEntry(const QString& title, const QString& message, const QStringList& fieldTexts,
                               const QStringList& buttons, TextAnswer answer) = 0;
    // An action sheet: buttons in order, then the cancel button last. The
    // answer carries the index in `buttons` (buttons.size() for cancel, -1 when
    // the sheet was dismissed without a choice) and the chosen title.
    virtual void showActionSheet(const QString& title, const QString& cancelTitle, const QStringList& buttons,
                                 Answer answer) = 0;
    // A short message that goes away by itself.
    virtual void showNotice(const QString& text) = 0;

    // Shows a screen controller's view (qrc:/qml/<view>.qml) in a popover of
    // the given size in points, next to the item named `anchor` in the current
    // screen (centred when there is no such item). One popover at a time: a
    // new one replaces the open one. `dismissed` runs when the salesman closes
    // it by touching outside.
    virtual void presentPopover(QObject* controller, const QString& view, const QSizeF& size,
                                const QString& anchor, std::function<void()> dismissed = {}) = 0;
    virtual void dismissPopover() = 0;
    virtual bool isPopoverOpen() const = 0;

    // The dialogs of the running interface; null until the interface sets them.
    static Dialogs* shared();
    static void setShared(Dialogs* dialogs);
};
