#include "platform/Strings.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("FIELDBOOK_KEYCHAIN"))
        qputenv("FIELDBOOK_KEYCHAIN", "file");
    QGuiApplication app(argc, argv);
    Strings::install();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
