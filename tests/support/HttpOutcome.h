#pragma once

#include "http/HttpTransport.h"

#include <QTest>
#include <optional>

// Collects what one call of an HttpTransport delivered: hand its handlers to
// the call, then wait().
struct HttpOutcome
{
    bool done = false;
    int handlerRuns = 0;
    QVariant json;
    std::optional<HttpError> error;

    HttpTransport::JsonHandler onJson()
    {
        return [this](const QVariant& value) {
            json = value;
            finish();
        };
    }
    HttpTransport::DownloadHandler onDownload()
    {
        return [this](const QString&) { finish(); };
    }
    HttpTransport::FailureHandler onFailure()
    {
        return [this](const HttpError& failure) {
            error = failure;
            finish();
        };
    }
    // Runs the event loop until a handler has run (false after the time limit).
    bool wait(int milliseconds = 5000)
    {
        return QTest::qWaitFor([this] { return done; }, milliseconds);
    }
    QString errorText() const { return error ? error->description() : QString(); }

private:
    void finish()
    {
        done = true;
        ++handlerRuns;
    }
};
