#pragma once

#include "platform/Dialogs.h"

#include <QVariant>
#include <vector>

// Records what a controller asked to show, and lets the test answer it.
class FakeDialogs : public Dialogs
{
public:
    struct Request {
        QString kind; // "alert", "textEntry", "actionSheet", "notice", "popover"
        QString title;
        QString message;
        QStringList buttons; // for action sheets: the buttons, then the cancel title
        QStringList fieldTexts;
        QString view;
        QString anchor;
        QSizeF size;
        QObject* controller = nullptr;
        Answer answer;
        TextAnswer textAnswer;
        std::function<void()> dismissed;
    };

    std::vector<Request> requests;
    bool popoverOpen = false;

    void showAlert(const QString& title, const QString& message, const QStringList& buttons,
                   Answer answer = {}) override
    {
        Request r;
        r.kind = QStringLiteral("alert");
        r.title = title;
        r.message = message;
        r.buttons = buttons;
        r.answer = std::move(answer);
        requests.push_back(std::move(r));
    }
    void showTextEntry(const QString& title, const QString& message, const QStringList& fieldTexts,
                       const QStringList& buttons, TextAnswer answer) override
    {
        Request r;
        r.kind = QStringLiteral("textEntry");
        r.title = title;
        r.message = message;
        r.fieldTexts = fieldTexts;
        r.buttons = buttons;
        r.textAnswer = std::move(answer);
        requests.push_back(std::move(r));
    }
    void showActionSheet(const QString& title, const QString& cancelTitle, const QStringList& buttons,
                         Answer answer) override
    {
        Request r;
        r.kind = QStringLiteral("actionSheet");
        r.title = title;
        r.buttons = buttons;
        r.buttons << cancelTitle;
        r.answer = std::move(answer);
        requests.push_back(std::move(r));
    }
    void showNotice(const QString& text) override
    {
        Request r;
        r.kind = QStringLiteral("notice");
        r.message = text;
        requests.push_back(std::move(r));
    }
    void presentPopover(QObject* controller, const QString& view, const QSizeF& size, const QString& anchor,
                        std::function<void()> dismissed = {}) override
    {
        Request r;
        r.kind = QStringLiteral("popover");
        r.controller = controller;
        r.view = view;
        r.size = size;
        r.anchor = anchor;
        r.dismissed = std::move(dismissed);
        requests.push_back(std::move(r));
        popoverOpen = true;
    }
    void dismissPopover() override
    {
        popoverOpen = false;
    }
    bool isPopoverOpen() const override { return popoverOpen; }

    // The last request of a kind, or null.
    Request* last(const QString& kind = QString())
    {
        for (auto it = requests.rbegin(); it != requests.rend(); ++it) {
            if (kind.isEmpty() || it->kind == kind)
                return &*it;
        }
        return nullptr;
    }
    int count(const QString& kind) const
    {
        int n = 0;
        for (const Request& r : requests)
            n += r.kind == kind ? 1 : 0;
        return n;
    }
    // Answers the last alert or action sheet with the button of that title.
    bool choose(const QString& buttonTitle)
    {
        for (auto it = requests.rbegin(); it != requests.rend(); ++it) {
            if ((it->kind == QLatin1String("alert") || it->kind == QLatin1String("actionSheet")) && it->answer) {
                const int index = int(it->buttons.indexOf(buttonTitle));
                if (index < 0)
                    return false;
                it->answer(index, buttonTitle);
                return true;
            }
        }
        return false;
    }
    void clear() { requests.clear(); }
};
