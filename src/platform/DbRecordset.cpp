#include "platform/DbRecordset.h"

#include "platform/DbConnection.h"
#include "platform/DbValue.h"
#include "platform/RaisedError.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace limsbridge {

namespace {

bool driverReturnsRows(DbDriverKind driver) {
    return driver == DbDriverKind::PostgreSql || driver == DbDriverKind::Sqlite;
}

} // namespace

DbRecordset::DbRecordset(const QString& sql, DbConnection& connection, DbLockType lock) { Open(sql, connection, lock); }

void DbRecordset::Open(const QString& sql, DbConnection& connection, DbLockType lock) {
    load(sql, connection, lock, nullptr);
}

void DbRecordset::OpenWithFields(const QString& sql, DbConnection& connection,
                                 const std::function<bool(const QString&)>& wanted) {
    load(sql, connection, DbLockType::ReadOnly, &wanted);
}

void DbRecordset::load(const QString& sql, DbConnection& connection, DbLockType lock,
                       const std::function<bool(const QString&)>* wanted) {
    Close();
    connection.checkOpen();
    connection.clearErrors();
    m_connection = &connection;
    m_connectionAlive = connection.lifeToken();
    m_lock = lock;
    m_sql = sql;

    QSqlQuery query = connection.newQuery();
    if (!query.exec(sql))
        connection.raise(DbError::fromSqlError(connection.driverKind(), query.lastError()));

    const QSqlRecord record = query.record();
    const int columns = record.count();
    m_fieldNames.reserve(columns);
    m_lowerCaseIndex.reserve(columns);
    for (int column = 0; column < columns; ++column) {
        const QString name = record.fieldName(column);
        m_fieldNames.append(name);
    }
    // Filled backwards so that, of two fields with the same name, the first wins.
    for (int column = columns - 1; column >= 0; --column)
        m_lowerCaseIndex.insert(m_fieldNames.at(column).toLower(), column);
    // The fields to convert, in column order; only they take room in a row.
    std::vector<int> loaded;
    loaded.reserve(size_t(columns));
    if (wanted)
        m_slots.assign(size_t(columns), -1);
    for (int column = 0; column < columns; ++column) {
        if (wanted && !(*wanted)(m_fieldNames.at(column)))
            continue;
        if (wanted)
            m_slots[size_t(column)] = int(loaded.size());
        loaded.push_back(column);
    }
    m_rowWidth = loaded.size();
    if (query.size() > 0)
        m_values.reserve(size_t(query.size()) * m_rowWidth);
    if (columns > 0) {
        while (query.next()) {
            for (const int column : loaded) {
                QVariant value = query.value(column);
                if (value.isNull())
                    m_values.emplace_back();
                else
                    m_values.push_back(std::move(value));
            }
            ++m_rowCount;
        }
        if (query.lastError().isValid()) {
            const QSqlError error = query.lastError();
            Close();
            connection.raise(DbError::fromSqlError(connection.driverKind(), error));
        }
    }
    // Only a recordset that may save needs to know its table and condition.
    if (lock != DbLockType::ReadOnly)
        parseStatement(sql);
    else
        m_statementUnderstood = false;
    m_position = 0;
    m_open = true;
}

void DbRecordset::Close() {
    m_open = false;
    m_fieldNames.clear();
    m_lowerCaseIndex.clear();
    m_spelledIndex.clear();
    m_values.clear();
    m_rowWidth = 0;
    m_slots.clear();
    m_rowCount = 0;
    m_position = 0;
    m_edit = EditMode::None;
    m_changed.clear();
    m_originalRow.clear();
}

// Only the plain form "SELECT cols FROM table [WHERE condition]" can add or
// change rows: the table receives the INSERT, the condition picks the row an
// UPDATE changes.
void DbRecordset::parseStatement(const QString& sql) {
    static const QRegularExpression pattern(
        R"(^\s*select\s+.+?\s+from\s+((?:"[^"]+"|[\w$#]+)(?:\s*\.\s*(?:"[^"]+"|[\w$#]+))?)\s*(?:\s+where\s+(.*?))?\s*;?\s*$)",
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = pattern.match(sql);
    m_statementUnderstood = match.hasMatch();
    m_table = m_statementUnderstood ? match.captured(1) : QString();
    m_where = m_statementUnderstood ? match.captured(2).trimmed() : QString();
}

void DbRecordset::fail(long number, const QString& description) const {
    if (!m_connectionAlive.expired())
        m_connection->raise({number, description, {}, {}});
    throw RaisedError(number, description);
}

void DbRecordset::checkOpen() const {
    if (!m_open)
        fail(DbError::ObjectClosed, "The recordset is closed");
}

void DbRecordset::checkCurrent() const {
    checkOpen();
    if (Eof())
        fail(DbError::NoCurrentRecord, "There is no current row: the recordset is at its end");
}

DbConnection& DbRecordset::liveConnection() const {
    if (m_connectionAlive.expired())
        throw RaisedError(DbError::ConnectionClosed, "The recordset's connection no longer exists");
    m_connection->checkOpen();
    return *m_connection;
}

void DbRecordset::MoveFirst() {
    checkOpen();
    if (editing())
        Update();
    m_position = 0;
}

void DbRecordset::MoveNext() {
    checkCurrent();
    if (editing())
        Update();
    ++m_position;
}

int DbRecordset::fieldIndex(const QString& name) const {
    const auto spelled = m_spelledIndex.constFind(name);
    if (spelled != m_spelledIndex.constEnd())
        return spelled.value();
    const int index = m_lowerCaseIndex.value(name.toLower(), -1);
    m_spelledIndex.insert(name, index);
    return index;
}

int DbRecordset::requireField(const QString& name) const {
    checkOpen();
    const int index = fieldIndex(name);
    if (index < 0)
        fail(DbError::ItemNotFound, "The recordset has no field named '" + name + "'");
    return index;
}

void DbRecordset::checkLoaded(int column) const {
    if (!m_slots.empty() && m_slots[size_t(column)] < 0)
        fail(DbError::ItemNotFound, "The field '" + m_fieldNames.at(column) + "' was not loaded");
}

QVariant DbRecordset::Field(const QString& name) const {
    const int index = requireField(name);
    checkLoaded(index);
    checkCurrent();
    return cell(m_position, index);
}

QVariant DbRecordset::Field(int index) const {
    checkOpen();
    if (index < 0 || index >= FieldCount())
        fail(DbError::ItemNotFound, QStringLiteral("The recordset has no field at position %1").arg(index));
    checkLoaded(index);
    checkCurrent();
    return cell(m_position, index);
}

void DbRecordset::AddNew() {
    checkOpen();
    if (m_lock == DbLockType::ReadOnly)
        fail(DbError::NotSupported, "The recordset was opened read-only; it cannot add rows");
    if (editing())
        Update();
    const size_t columns = size_t(FieldCount());
    m_values.resize(m_values.size() + columns);
    m_positionBeforeAdd = m_position;
    m_position = m_rowCount++;
    m_edit = EditMode::Adding;
    m_changed.assign(columns, false);
}

void DbRecordset::setField(const QString& name, const QVariant& value) { setField(requireField(name), value); }

void DbRecordset::setField(int index, const QVariant& value) {
    checkOpen();
    if (m_lock == DbLockType::ReadOnly)
        fail(DbError::NotSupported, "The recordset was opened read-only; it cannot change rows");
    if (index < 0 || index >= FieldCount())
        fail(DbError::ItemNotFound, QStringLiteral("The recordset has no field at position %1").arg(index));
    checkCurrent();
    if (m_edit == EditMode::None) {
        m_edit = EditMode::Changing;
        m_changed.assign(size_t(FieldCount()), false);
        m_originalRow.assign(m_values.begin() + ptrdiff_t(m_position * FieldCount()),
                             m_values.begin() + ptrdiff_t((m_position + 1) * FieldCount()));
    }
    cell(m_position, index) = DbValue::isNull(value) ? QVariant() : value;
    m_changed[size_t(index)] = true;
}

void DbRecordset::CancelUpdate() {
    if (m_edit == EditMode::Adding) {
        m_values.resize(m_values.size() - size_t(FieldCount()));
        --m_rowCount;
        m_position = m_positionBeforeAdd;
    } else if (m_edit == EditMode::Changing) {
        for (int column = 0; column < FieldCount(); ++column)
            cell(m_position, column) = m_originalRow[size_t(column)];
    }
    m_edit = EditMode::None;
    m_changed.clear();
    m_originalRow.clear();
}

void DbRecordset::Update() {
    checkOpen();
    if (m_edit == EditMode::None)
        return;
    DbConnection& connection = liveConnection();
    connection.clearErrors();
    if (!m_statementUnderstood)
        fail(DbError::NotSupported, "Cannot save the row: only a statement of the form "
                                    "SELECT columns FROM table [WHERE condition] can add or change rows");
    if (m_edit == EditMode::Changing && m_rowCount != 1)
        fail(DbError::NotSupported, QStringLiteral("Cannot change the row: the statement selected %1 rows, "
                                                   "and its condition must select exactly one")
                                        .arg(m_rowCount));

    const QSqlDatabase db = QSqlDatabase::database(connection.connectionName(), false);
    QStringList columns;
    std::vector<int> changedIndexes;
    for (int column = 0; column < FieldCount(); ++column) {
        if (m_changed[size_t(column)]) {
            columns.append(db.driver()->escapeIdentifier(m_fieldNames.at(column), QSqlDriver::FieldName));
            changedIndexes.push_back(column);
        }
    }
    QString sql;
    if (m_edit == EditMode::Adding) {
        if (columns.isEmpty())
            sql = "INSERT INTO " + m_table + " DEFAULT VALUES";
        else
            sql = "INSERT INTO " + m_table + " (" + columns.join(", ") + ") VALUES (" +
                  QStringList(columns.size(), "?").join(", ") + ")";
    } else {
        if (columns.isEmpty()) {
            CancelUpdate();
            return;
        }
        sql = "UPDATE " + m_table + " SET " + columns.join(" = ?, ") + " = ?";
        if (!m_where.isEmpty())
            sql += " WHERE " + m_where;
    }
    const bool returning = driverReturnsRows(connection.driverKind());
    if (returning)
        sql += " RETURNING *";

    QSqlQuery query(db);
    query.setNumericalPrecisionPolicy(QSql::LowPrecisionDouble);
    if (!query.prepare(sql))
        connection.raise(DbError::fromSqlError(connection.driverKind(), query.lastError()));
    for (int column : changedIndexes)
        query.addBindValue(DbValue::forBinding(cell(m_position, column)));
    if (!query.exec())
        connection.raise(DbError::fromSqlError(connection.driverKind(), query.lastError()));

    bool rowSaved = true;
    if (returning) {
        if (query.next()) {
            const QSqlRecord record = query.record();
            for (int column = 0; column < record.count(); ++column) {
                const int index = fieldIndex(record.fieldName(column));
                if (index >= 0) {
                    const QVariant value = query.value(column);
                    cell(m_position, index) = value.isNull() ? QVariant() : value;
                }
            }
        } else {
            rowSaved = false;
        }
    } else {
        rowSaved = query.numRowsAffected() != 0;
    }
    query.finish();
    if (!rowSaved)
        fail(DbError::RowNotFound, "Cannot find the row to change: no row of " + m_table + " meets " + m_where);
    m_edit = EditMode::None;
    m_changed.clear();
    m_originalRow.clear();
}

} // namespace limsbridge
