#pragma once

#include "core/InterfaceBuilder.h"
#include "platform/CrashCapture.h"
#include "support/FakeDialogs.h"
#include "workflow/ViewController.h"

#include <memory>
#include <vector>

// The start after a crash, as the application makes it, for tests that run
// the crashing code in a child process.

// The capture's real files without its handlers: the test process itself must
// not be taken over by them.
struct CaptureWithoutHandlers : CrashCapture
{
    bool enable(QString*) override { return true; }
};

// Builds root screens as the application delegate asks for them, each loaded
// at once and showing its dialogs to the fake.
struct RootBuilder : InterfaceBuilder
{
    FakeDialogs* dialogs = nullptr;
    std::vector<std::unique_ptr<ViewController>> roots;
    void buildInterface() override
    {
        auto root = std::make_unique<ViewController>();
        root->setDialogs(dialogs);
        root->viewDidLoad();
        roots.push_back(std::move(root));
    }
};
