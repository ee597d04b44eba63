#include "platform/tables/errors.h"

namespace qv::tables {

namespace {
ErrorState g_error;
}

std::string errorText(int code)
{
    switch (code) {
    case NoError:
        return "No error";
    case FileNotFound:
        return "File Not Found";
    case PathNotFound:
        return "Path Not Found";
    case TooManyOpenFiles:
        return "Too Many Open Files";
    case AccessDenied:
        return "Access Denied";
    case FileLocked:
        return "File Is Already Locked";
    case RecordNotAvailable:
        return "Record Not Available";
    case RecordNotFound:
        return "Record Not Found";
    case FileNotOpen:
        return "File Not Open";
    case DuplicateKey:
        return "Creates Duplicate Key";
    case BadKeys:
        return "Keys Need Rebuilding";
    case InvalidFile:
        return "Invalid Data File";
    case TransactionFailed:
        return "Unable To Log Transaction";
    case AlreadyOpen:
        return "File Already Open";
    case TransactionActive:
        return "Transaction Already Active";
    case ChangedByOther:
        return "Record Changed By Another Station";
    case FileSystemError:
        return "File System Error";
    case NoTransaction:
        return "No Transaction Active";
    }
    return "Error " + std::to_string(code);
}

const ErrorState& lastError()
{
    return g_error;
}

int setError(int code, const std::string& file, const std::string& detail, int osCode)
{
    g_error = ErrorState{};
    g_error.code = code;
    g_error.text = errorText(code);
    g_error.file = file;
    if (code == FileSystemError) {
        g_error.osCode = osCode;
        g_error.osText = detail;
    }
    return code;
}

void setDuplicateKey(const std::string& file, const std::string& keyDescription)
{
    setError(DuplicateKey, file);
    g_error.key = keyDescription;
}

int setErrorText(int code, const std::string& file, std::string text)
{
    setError(code, file);
    g_error.text = std::move(text);
    return code;
}

void clearError()
{
    g_error = ErrorState{};
}

} // namespace qv::tables
