#pragma once

#include "store/dbstatus.h"

#include <QByteArray>

class DbfTable;

// Gives one record another folder: DIR becomes dir (stored bytes, upper case). The table
// moves to the record; a write that fails leaves the record as it was.
DbStatus writeDir(DbfTable &table, quint32 recno, const QByteArray &dir);
