#pragma once

#include <QVariant>

// Applies the master data of an accepted login or update answer to the local
// database, and the promotions of a promotion answer.
class MasterDataSync
{
public:
    // The arrays of the answer's "result" in their fixed order: salesmen,
    // orders, brands (from a login only), items, order lines, pictures,
    // sold-to customers, ship-to addresses, routes, route stops. Absent and
    // empty arrays are skipped, and so is every element that is not a record.
    // All records go in one transaction: false when it could not be committed,
    // in which case nothing of the answer is stored and the caller must not
    // advance its time stamp. Pictures are queued for download after the commit.
    static bool applyResult(const QVariant& result, bool loginAnswer);

    // The promotions of a promotion answer's "result" (a non-empty array), in
    // one transaction; false when nothing was applied.
    static bool applyPromotions(const QVariant& result);
};
