// One parameter of a stored-procedure command: name, ADO type code, direction,
// size and value. The value of an output parameter is set by DbCommand::Execute.
#pragma once

#include <QString>
#include <QVariant>

namespace limsbridge {

//! ADO's type codes for the parameter types the program uses.
enum class DbDataType { Integer = 3, Double = 5, Date = 7, VarChar = 200, VarWChar = 202 };

//! ADO's parameter directions.
enum class DbParameterDirection { Input = 1, Output = 2, InputOutput = 3, ReturnValue = 4 };

class DbParameter {
public:
    DbParameter(QString name, DbDataType type, DbParameterDirection direction, int size = 0, QVariant value = {})
        : m_name(std::move(name)), m_type(type), m_direction(direction), m_size(size), m_value(std::move(value)) {}

    const QString& Name() const { return m_name; }
    DbDataType Type() const { return m_type; }
    DbParameterDirection Direction() const { return m_direction; }
    //! Most characters a text parameter holds; 0 = no limit.
    int Size() const { return m_size; }

    //! The value; a null value is an invalid QVariant.
    const QVariant& Value() const { return m_value; }
    void setValue(const QVariant& value) { m_value = value; }

    bool isInput() const {
        return m_direction == DbParameterDirection::Input || m_direction == DbParameterDirection::InputOutput;
    }
    bool isOutput() const {
        return m_direction == DbParameterDirection::Output || m_direction == DbParameterDirection::InputOutput;
    }

private:
    QString m_name;
    DbDataType m_type;
    DbParameterDirection m_direction;
    int m_size;
    QVariant m_value;
};

} // namespace limsbridge
