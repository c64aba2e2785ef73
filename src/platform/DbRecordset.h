// A static recordset: every row of a text command is read into memory when the
// recordset opens, then walked with MoveFirst/MoveNext/Eof. Fields are found by
// position or by name without regard to case; a database NULL reads as an
// invalid QVariant, distinct from empty text.
//
// Opened with a lock other than ReadOnly on a statement of the form
// "SELECT cols FROM table [WHERE …]", the recordset also adds a row (AddNew,
// setField, Update → INSERT) or changes the row it read (setField, Update →
// UPDATE table SET … WHERE <the statement's WHERE>). Values the database
// assigns (ids, defaults) are read back into the row after the save where the
// driver can return them (PostgreSQL and SQLite, through RETURNING).
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

namespace limsbridge {

class DbConnection;

//! ADO's lock types; anything but ReadOnly allows adding and changing a row.
enum class DbLockType { ReadOnly = 1, Pessimistic = 2, Optimistic = 3, BatchOptimistic = 4 };

class DbRecordset {
public:
    DbRecordset() = default;
    //! Opens at once; see Open.
    DbRecordset(const QString& sql, DbConnection& connection, DbLockType lock = DbLockType::ReadOnly);
    ~DbRecordset() = default;
    DbRecordset(const DbRecordset&) = delete;
    DbRecordset& operator=(const DbRecordset&) = delete;

    //! Runs the statement and loads every row; the cursor is on the first row.
    //! Raises RaisedError (recorded in the connection's Errors()) when the statement fails.
    void Open(const QString& sql, DbConnection& connection, DbLockType lock = DbLockType::ReadOnly);
    //! Opens read-only and loads only the values of the fields for which
    //! wanted(name) holds: the others keep their names and positions, but
    //! reading one raises ItemNotFound. For a walk that needs a few of many
    //! columns, it spares converting and keeping the rest.
    void OpenWithFields(const QString& sql, DbConnection& connection,
                        const std::function<bool(const QString& name)>& wanted);
    //! Drops the rows; a pending change is discarded.
    void Close();
    bool isOpen() const { return m_open; }

    long RecordCount() const { return m_rowCount; }
    //! True when the cursor is past the last row (always true without rows).
    bool Eof() const { return m_position >= m_rowCount; }
    void MoveFirst();
    void MoveNext();
    //! The 0-based row under the cursor.
    long position() const { return m_position; }

    int FieldCount() const { return int(m_fieldNames.size()); }
    const QStringList& FieldNames() const { return m_fieldNames; }
    //! The position of a field by name, ignoring case; -1 when there is none.
    int fieldIndex(const QString& name) const;
    bool hasField(const QString& name) const { return fieldIndex(name) >= 0; }

    //! The value under the cursor; raises ItemNotFound for an unknown field and
    //! NoCurrentRecord when the cursor is at the end.
    QVariant Field(const QString& name) const;
    QVariant Field(int index) const;

    //! Starts a new row (saving a pending change first); the cursor moves to it.
    void AddNew();
    //! Sets a field of the row under the cursor (a new row after AddNew).
    void setField(const QString& name, const QVariant& value);
    void setField(int index, const QVariant& value);
    //! Saves the pending new or changed row; does nothing without one.
    void Update();
    //! Drops the pending new or changed row.
    void CancelUpdate();
    //! True between AddNew or a setField and Update or CancelUpdate.
    bool editing() const { return m_edit != EditMode::None; }

private:
    enum class EditMode { None, Adding, Changing };

    size_t cellIndex(long row, int column) const {
        return size_t(row) * m_rowWidth + size_t(m_slots.empty() ? column : m_slots[size_t(column)]);
    }
    const QVariant& cell(long row, int column) const { return m_values[cellIndex(row, column)]; }
    QVariant& cell(long row, int column) { return m_values[cellIndex(row, column)]; }
    void checkOpen() const;
    void checkCurrent() const;
    int requireField(const QString& name) const;
    DbConnection& liveConnection() const;
    [[noreturn]] void fail(long number, const QString& description) const;
    void parseStatement(const QString& sql);
    void load(const QString& sql, DbConnection& connection, DbLockType lock,
              const std::function<bool(const QString&)>* wanted);
    void checkLoaded(int column) const;

    bool m_open = false;
    DbConnection* m_connection = nullptr;
    std::weak_ptr<void> m_connectionAlive;
    DbLockType m_lock = DbLockType::ReadOnly;
    QString m_sql;
    QString m_table;
    QString m_where;
    bool m_statementUnderstood = false;

    QStringList m_fieldNames;
    QHash<QString, int> m_lowerCaseIndex;
    // Names as callers spell them, remembered after the first case-insensitive
    // lookup so that a loop over many rows finds them without folding case again.
    mutable QHash<QString, int> m_spelledIndex;
    // Row after row, the values of the loaded fields.
    std::vector<QVariant> m_values;
    size_t m_rowWidth = 0;
    // Empty when every field is loaded; otherwise, per field, its place in a
    // row of m_values, or -1 when it was not loaded.
    std::vector<int> m_slots;
    long m_rowCount = 0;
    long m_position = 0;

    EditMode m_edit = EditMode::None;
    long m_positionBeforeAdd = 0;
    std::vector<bool> m_changed;
    std::vector<QVariant> m_originalRow;
};

} // namespace limsbridge
