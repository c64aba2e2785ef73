// The error that an operation raises to its caller: a number and a description,
// as the program's routines report them in their log and message lines.
#pragma once

#include <QString>
#include <exception>
#include <string>

namespace limsbridge {

class RaisedError : public std::exception {
public:
    RaisedError(long number, QString description)
        : m_number(number), m_description(std::move(description)), m_what(m_description.toStdString())
    {
    }

    long number() const noexcept { return m_number; }
    const QString& description() const noexcept { return m_description; }
    const char* what() const noexcept override { return m_what.c_str(); }

private:
    long m_number;
    QString m_description;
    std::string m_what;
};

} // namespace limsbridge
