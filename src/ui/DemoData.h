#pragma once

#include <QString>

// A small, believable world for the screenshots and the demo: one salesman
// with a route of five customers (four with pictures), their delivery
// addresses, and a dozen orders over the last weeks in every state (drafts,
// orders uploaded from the device, orders in server states, a good return,
// priority orders), each with a few lines. Everything is written into the
// current sandbox; seeding twice changes nothing.
class DemoData
{
public:
    // The user name the demo orders belong to.
    static QString userName() { return QStringLiteral("demo"); }
    // Seeds the store and the customer pictures; false when a write failed.
    static bool seed();
};
