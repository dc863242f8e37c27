#pragma once

#include "platform/Dialogs.h"

#include <QVariant>
#include <vector>

// Records what a controller asked to show, and lets the test answer it.
class FakeDialogs : public Dialogs
{
public:
    struct Request
    {
        QString kind; // "alert", "textEntry", "actionSheet", "notice", "popover"
        QString title;
        QString message;
        QStringList buttons; // for action sheets: the buttons, then the cancel title
        QStringList fieldTexts;
        QString anchor;
        QObject* controller = nullptr;
        Answer answer;
        TextAnswer textAnswer;
    };

    std::vector<Request> requests;
    bool popoverOpen = false;

    void showAlert(const QString& title, const QString& message, const QStringList& buttons,
                   Answer answer = {}) override
    {
        add(QStringLiteral("alert"), title, message, buttons).answer = std::move(answer);
    }
    void showTextEntry(const QString& title, const QString& message, const QStringList& fieldTexts,
                       const QStringList& buttons, TextAnswer answer) override
    {
        Request& r = add(QStringLiteral("textEntry"), title, message, buttons);
        r.fieldTexts = fieldTexts;
        r.textAnswer = std::move(answer);
    }
    void showActionSheet(const QString& title, const QString& cancelTitle,
                         const QStringList& buttons, Answer answer) override
    {
        add(QStringLiteral("actionSheet"), title, {}, buttons + QStringList{cancelTitle}).answer =
            std::move(answer);
    }
    void showNotice(const QString& text) override { add(QStringLiteral("notice"), {}, text); }
    void presentPopover(QObject* controller, const QString&, const QSizeF&, const QString& anchor,
                        std::function<void()> = {}) override
    {
        Request& r = add(QStringLiteral("popover"));
        r.controller = controller;
        r.anchor = anchor;
        popoverOpen = true;
    }
    void dismissPopover() override { popoverOpen = false; }
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
        return int(std::count_if(requests.begin(), requests.end(),
                                 [&](const Request& r) { return r.kind == kind; }));
    }
    // Answers the last alert or action sheet with the button of that title.
    bool choose(const QString& buttonTitle)
    {
        for (auto it = requests.rbegin(); it != requests.rend(); ++it) {
            if (it->answer) {
                const int index = int(it->buttons.indexOf(buttonTitle));
                if (index >= 0)
                    it->answer(index, buttonTitle);
                return index >= 0;
            }
        }
        return false;
    }
    void clear() { requests.clear(); }

private:
    Request& add(const QString& kind, const QString& title = {}, const QString& message = {},
                 const QStringList& buttons = {})
    {
        requests.push_back(Request{kind, title, message, buttons, {}, {}, nullptr, {}, {}});
        return requests.back();
    }
};
