#pragma once
// The base class of every error the program raises. It carries the user-readable
// message (Japanese, as the user sees it); what() gives the same text as UTF-8.

#include <QByteArray>
#include <QString>
#include <exception>

class Exception : public std::exception {
public:
    explicit Exception(QString message) : message_(std::move(message)), utf8_(message_.toUtf8()) {}

    const QString& message() const noexcept { return message_; }
    void setMessage(QString message) {
        message_ = std::move(message);
        utf8_ = message_.toUtf8();
    }
    const char* what() const noexcept override { return utf8_.constData(); }

    // The class name as the program reports it; derived error classes override it.
    virtual const char* className() const noexcept { return "Exception"; }

private:
    QString message_;
    QByteArray utf8_;
};

// Declares an error class derived from `Base` that reports `Name` as its class name.
#define VELLUMO_DECLARE_EXCEPTION(Name, Base)                                 \
    class Name : public Base {                                                \
    public:                                                                   \
        using Base::Base;                                                     \
        const char* className() const noexcept override { return #Name; }     \
    }
