// Opening a plant-database connection the way the program's callers need it:
// silently in service mode, with a progress window and activity lines in
// interactive mode. None of these raise: they return false with the error as
// "number - description".
#pragma once

#include <QString>

class QObject;

namespace limsbridge {

class DbConnection;

//! Opens a connection already given its connection string. In interactive mode
//! useDialog selects the modal progress window over ownerForm (null: the main
//! window) instead of the modeless one. The dialog form sets errorText to the
//! window's message also on success (then empty).
bool OpenTargetConnection(DbConnection& connection, QString& errorText, bool useDialog, QObject* ownerForm);
bool OpenConnectionWithProgress(DbConnection& connection, QString& errorText);
bool OpenConnectionViaDialog(DbConnection& connection, QString& errorText, QObject* ownerForm);

} // namespace limsbridge
