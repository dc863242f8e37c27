#pragma once

#include <QMetaType>
#include <QString>

class Statement;

// A salesman account as the server delivered it. Status 20 means active.
struct Salesman
{
    Salesman() = default;
    // Fills the fields, by column position, from the current row: a salesman row.
    explicit Salesman(const Statement& row);
    static Salesman fromStatement(const Statement& row) { return Salesman(row); }

    bool operator==(const Salesman&) const = default;

    QString creationDate;
    QString salesmanCode;
    QString username;
    QString password;
    QString employeeCode;
    QString address;
    QString contactNo;
    QString mobileNo;
    QString faxNo;
    QString email;
    int status = 0;
    QString ipAddress;
    QString authToken;
    QString loginDate;
    QString lastupdate;
};

// Texts and numbers only: a list may move its records in memory as they are.
Q_DECLARE_TYPEINFO(Salesman, Q_RELOCATABLE_TYPE);
Q_DECLARE_METATYPE(Salesman)
