#pragma once
// The program's numbered warnings about tables and records, and the checked
// open that mends what it can (a locked, missing or badly keyed file) and
// ends the program on what it cannot.

#include <string>
#include <string_view>

#include "platform/tables/table.h"

namespace qv::qvls {

// The exit code of a program ended by a file warning.
inline constexpr int kFileHaltCode = 1;

// The driver's last error as the warnings show it: "Message (number)"; for a
// file-system error the system's own message and code. At most 150
// characters.
std::string fileErrorText();

// Shows warning `number` and answers the button pressed (1 OK, 2 Yes, 4 No,
// 16 Retry, 64 Cancel). Warnings 1, 3, 4, 5 and 22, and any answer but Yes to
// warning 2, end the program. An unknown number shows nothing and answers 0.
int FileWarning(int number, std::string_view text1 = {}, std::string_view text2 = {});
int FileWarningWithName(int number, std::string_view name);
int FileWarningPlain(int number);

// Opens the table, or ends the program. A locked file is retried once in
// recovery mode; a missing one is created (create rule 1 or force-create);
// damaged keys are rebuilt when the user agrees. With defaultAccess the
// access is read-write, deny none.
void OpenTableChecked(tables::Table& table, int createRule = 1, bool forceCreate = false,
    int access = tables::DefaultAccess, bool defaultAccess = true);
// Creates the table's file and opens it, or ends the program.
void CreateTableAndOpen(tables::Table& table, int access);

} // namespace qv::qvls
