#pragma once
// Writes through the table driver whose outcome is read from the record as
// well as from the driver's answer. Inside a transaction that the caller
// framed, the driver answers 0 even for a refused write (a duplicate, a
// record changed by another station); these tell a refusal by what the
// write left behind and set the driver's last error to its cause.

#include "platform/tables/table.h"

namespace qv::fw::writes {

int insert(tables::Table& t);
int update(tables::Table& t);
int remove(tables::Table& t);

} // namespace qv::fw::writes
