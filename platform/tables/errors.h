#pragma once

// The driver's numbered errors. Callers branch on these numbers, so they never change.

#include <string>

namespace qv::tables {

enum Error : int {
    NoError = 0,
    FileNotFound = 2,
    PathNotFound = 3,
    TooManyOpenFiles = 4,
    AccessDenied = 5,
    FileLocked = 32,
    RecordNotAvailable = 33, // past the end or the beginning in key order
    RecordNotFound = 35, // fetch by key found nothing
    FileNotOpen = 37,
    DuplicateKey = 40,
    BadKeys = 46, // keys must be rebuilt
    InvalidFile = 47, // not such a table, another structure version, or a wrong password
    TransactionFailed = 48, // a transaction could not be framed in time
    AlreadyOpen = 52,
    TransactionActive = 56,
    ChangedByOther = 89, // watched record changed meanwhile
    FileSystemError = 90,
    NoTransaction = 91,
};

std::string errorText(int code);

// The last error of the driver, as the error procedures read it.
struct ErrorState {
    int code = 0;
    std::string text; // the driver's message
    int osCode = 0; // for 90: the file system's code
    std::string osText; // for 90: the file system's message
    std::string file; // file the error concerns
    std::string key; // for 40: the description of the key that refused
};

const ErrorState& lastError();
int setError(int code, const std::string& file = {}, const std::string& detail = {}, int osCode = 0);
void setDuplicateKey(const std::string& file, const std::string& keyDescription);
// An error whose message says more than its number's usual one.
int setErrorText(int code, const std::string& file, std::string text);
void clearError();

} // namespace qv::tables
