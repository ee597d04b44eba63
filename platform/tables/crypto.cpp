// Owner-password tables: each record is sealed with XChaCha20-Poly1305 under a key derived
// from the password (Argon2id); key components are stored as keyed hashes, so uniqueness
// and look-ups work without the plain values ever reaching the file.

#include "platform/tables/group.h"
#include "platform/tables/table.h"

#include <sodium.h>
#include <sqlite3.h>

#include <cstring>
#include <limits>
#include <map>
#include <optional>

namespace qv::tables {

namespace {

constexpr char kVerifierText[] = "quorvel owner password";

bool sodiumReady()
{
    static const bool ok = sodium_init() >= 0;
    return ok;
}

std::vector<unsigned char> deriveFrom(const std::string& password, const unsigned char* salt)
{
    static std::map<std::string, std::vector<unsigned char>> cache;
    std::string id = password + '\0' + std::string(reinterpret_cast<const char*>(salt), crypto_pwhash_SALTBYTES);
    if (auto it = cache.find(id); it != cache.end())
        return it->second;
    std::vector<unsigned char> key(crypto_aead_xchacha20poly1305_ietf_KEYBYTES);
    if (crypto_pwhash(key.data(), key.size(), password.data(), password.size(), salt,
            crypto_pwhash_OPSLIMIT_INTERACTIVE, crypto_pwhash_MEMLIMIT_INTERACTIVE, crypto_pwhash_ALG_ARGON2ID13)
        != 0)
        return {};
    cache[id] = key;
    return key;
}

std::string seal(const std::vector<unsigned char>& key, const std::string& plain)
{
    std::string out(
        crypto_aead_xchacha20poly1305_ietf_NPUBBYTES + plain.size() + crypto_aead_xchacha20poly1305_ietf_ABYTES, '\0');
    auto* nonce = reinterpret_cast<unsigned char*>(out.data());
    randombytes_buf(nonce, crypto_aead_xchacha20poly1305_ietf_NPUBBYTES);
    unsigned long long len = 0;
    crypto_aead_xchacha20poly1305_ietf_encrypt(nonce + crypto_aead_xchacha20poly1305_ietf_NPUBBYTES, &len,
        reinterpret_cast<const unsigned char*>(plain.data()), plain.size(), nullptr, 0, nullptr, nonce, key.data());
    return out;
}

bool unseal(const std::vector<unsigned char>& key, const void* data, int size, std::string& plain)
{
    const int overhead = crypto_aead_xchacha20poly1305_ietf_NPUBBYTES + crypto_aead_xchacha20poly1305_ietf_ABYTES;
    if (!data || size < overhead || key.empty())
        return false;
    const auto* nonce = static_cast<const unsigned char*>(data);
    plain.assign(static_cast<size_t>(size - overhead), '\0');
    unsigned long long len = 0;
    return crypto_aead_xchacha20poly1305_ietf_decrypt(reinterpret_cast<unsigned char*>(plain.data()), &len, nullptr,
               nonce + crypto_aead_xchacha20poly1305_ietf_NPUBBYTES,
               static_cast<unsigned long long>(size - crypto_aead_xchacha20poly1305_ietf_NPUBBYTES), nullptr, 0, nonce,
               key.data())
        == 0;
}

void putBytes(std::string& out, std::string_view s)
{
    std::uint32_t n = static_cast<std::uint32_t>(s.size());
    out.append(reinterpret_cast<const char*>(&n), 4);
    out.append(s);
}

bool getBytes(std::string_view& in, std::string& out)
{
    if (in.size() < 4)
        return false;
    std::uint32_t n;
    std::memcpy(&n, in.data(), 4);
    in.remove_prefix(4);
    if (in.size() < n)
        return false;
    out.assign(in.substr(0, n));
    in.remove_prefix(n);
    return true;
}

} // namespace

int qvCreateOwnerKey(sqlite3* db, const std::string& password)
{
    if (!sodiumReady())
        return SQLITE_ERROR;
    unsigned char salt[crypto_pwhash_SALTBYTES];
    randombytes_buf(salt, sizeof salt);
    auto key = deriveFrom(password, salt);
    if (key.empty())
        return SQLITE_NOMEM;
    std::string verifier = seal(key, kVerifierText);
    sqlite3_stmt* s = nullptr;
    int rc = sqlite3_prepare_v2(db, "INSERT INTO qv_owner (salt, verifier) VALUES (?, ?)", -1, &s, nullptr);
    if (rc != SQLITE_OK)
        return rc;
    sqlite3_bind_blob(s, 1, salt, sizeof salt, SQLITE_TRANSIENT);
    sqlite3_bind_blob(s, 2, verifier.data(), static_cast<int>(verifier.size()), SQLITE_TRANSIENT);
    rc = sqlite3_step(s);
    sqlite3_finalize(s);
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

int Table::deriveKey()
{
    if (!sodiumReady())
        return InvalidFile;
    int rc = 0;
    sqlite3_stmt* s = openGroup_->statement("SELECT salt, verifier FROM " + alias_ + ".qv_owner LIMIT 1", &rc);
    if (!s)
        return InvalidFile;
    StatementUse use(s);
    if (openGroup_->step(s) != SQLITE_ROW || sqlite3_column_bytes(s, 0) != crypto_pwhash_SALTBYTES)
        return InvalidFile;
    auto key = deriveFrom(password_, static_cast<const unsigned char*>(sqlite3_column_blob(s, 0)));
    std::string plain;
    if (!unseal(key, sqlite3_column_blob(s, 1), sqlite3_column_bytes(s, 1), plain) || plain != kVerifierText)
        return InvalidFile;
    cryptKey_ = key;
    return 0;
}

std::string Table::encryptRecord()
{
    std::string plain;
    for (int f = 0; f < record_.fieldCount(); ++f) {
        if (def_.fields[f].type == FieldType::String)
            putBytes(plain, record_.getText(f));
        else {
            std::int64_t v = def_.fields[f].type == FieldType::Decimal ? record_.decimalUnits(f) : record_.getInt(f);
            plain.append(reinterpret_cast<const char*>(&v), 8);
        }
    }
    for (int m = 0; m < record_.memoCount(); ++m)
        putBytes(plain, record_.memo(m));
    return seal(cryptKey_, plain);
}

bool Table::decryptRecord(const void* data, int size)
{
    record_.clear();
    std::string plain;
    if (!unseal(cryptKey_, data, size, plain))
        return false;
    std::string_view in(plain);
    std::string text;
    for (int f = 0; f < record_.fieldCount(); ++f) {
        if (def_.fields[f].type == FieldType::String) {
            if (!getBytes(in, text))
                return false;
            record_.setString(f, text);
        } else {
            if (in.size() < 8)
                return false;
            std::int64_t v;
            std::memcpy(&v, in.data(), 8);
            in.remove_prefix(8);
            if (def_.fields[f].type == FieldType::Decimal)
                record_.setDecimalUnits(f, v);
            else
                record_.setInt(f, v);
        }
    }
    for (int m = 0; m < record_.memoCount(); ++m) {
        if (!getBytes(in, text))
            return false;
        record_.setMemo(m, text);
    }
    return true;
}

std::vector<unsigned char> Table::keyHash(const KeyValue& v) const
{
    std::string data;
    if (auto n = std::get_if<std::int64_t>(&v))
        data = "n" + std::to_string(*n);
    else
        data = "s" + std::get<std::string>(v);
    std::vector<unsigned char> out(16);
    crypto_generichash(out.data(), out.size(), reinterpret_cast<const unsigned char*>(data.data()), data.size(),
        cryptKey_.data(), cryptKey_.size());
    return out;
}

// Sealed records cannot be ordered by the file, so reading in key order looks at them all;
// an owner-password table is a handful of settings.
int Table::readEncrypted(bool forward)
{
    int rc = 0;
    sqlite3_stmt* s = openGroup_->statement("SELECT " + selectList_ + " FROM " + sqlTable(), &rc);
    if (!s)
        return driverError(rc, openGroup_->db(), filePath());
    const int key = pos_.key;
    auto tupleOf = [&] {
        std::vector<KeyValue> t;
        if (key >= 0)
            for (const auto& c : def_.keys[key].components)
                t.push_back(keyValueOf(def_.fieldIndex(c)));
        return t;
    };
    auto allEmpty = [&] {
        if (key < 0 || !def_.keys[key].excludeEmpty)
            return false;
        for (const auto& c : def_.keys[key].components)
            if (!record_.isEmpty(def_.fieldIndex(c)))
                return false;
        return true;
    };
    using Tuple = std::pair<std::vector<KeyValue>, std::int64_t>;
    Tuple bound{pos_.values, pos_.recordId};
    if (pos_.mode == Position::At && key >= 0)
        bound.second = forward ? std::numeric_limits<std::int64_t>::min() : std::numeric_limits<std::int64_t>::max();
    const bool bounded = pos_.mode == Position::At || pos_.mode == Position::After;
    const bool inclusive = pos_.mode == Position::At;
    Record keep = record_;
    std::optional<Record> best;
    Tuple bestT;
    {
        StatementUse use(s);
        for (rc = openGroup_->step(s); rc == SQLITE_ROW; rc = sqlite3_step(s)) {
            loadRow(s, 0);
            if (allEmpty())
                continue;
            Tuple t{tupleOf(), record_.recordId};
            if (bounded) {
                bool ok = forward ? (inclusive ? t >= bound : t > bound) : (inclusive ? t <= bound : t < bound);
                if (!ok)
                    continue;
            }
            if (!best || (forward ? t < bestT : t > bestT)) {
                best = record_;
                bestT = t;
            }
        }
    }
    if (rc != SQLITE_DONE) {
        record_ = keep;
        return driverError(rc, openGroup_->db(), filePath());
    }
    if (!best) {
        record_ = keep;
        return setError(RecordNotAvailable, filePath());
    }
    record_ = *best;
    positionOnRecord();
    return setError(NoError);
}

int Table::fetchEncrypted(int key)
{
    const auto& comps = def_.keys[key].components;
    bool allEmpty = true;
    std::vector<std::string> where;
    for (const auto& c : comps) {
        int fi = def_.fieldIndex(c);
        allEmpty = allEmpty && record_.isEmpty(fi);
        where.push_back(keyColumnOf(fi) + " IS ?");
    }
    if (allEmpty && def_.keys[key].excludeEmpty)
        return setError(RecordNotFound, filePath());
    int rc = 0;
    sqlite3_stmt* s = openGroup_->statement(
        "SELECT " + selectList_ + " FROM " + sqlTable() + " WHERE " +
            [&] {
                std::string w;
                for (size_t i = 0; i < where.size(); ++i)
                    w += (i ? " AND " : "") + where[i];
                return w;
            }()
            + " ORDER BY _rid LIMIT 1",
        &rc);
    if (!s)
        return driverError(rc, openGroup_->db(), filePath());
    StatementUse use(s);
    int i = 1;
    for (const auto& c : comps) {
        int fi = def_.fieldIndex(c);
        if (record_.isEmpty(fi))
            sqlite3_bind_null(s, i++);
        else {
            auto h = keyHash(keyValueOf(fi));
            sqlite3_bind_blob(s, i++, h.data(), static_cast<int>(h.size()), SQLITE_TRANSIENT);
        }
    }
    rc = openGroup_->step(s);
    if (rc == SQLITE_DONE)
        return setError(RecordNotFound, filePath());
    if (rc != SQLITE_ROW)
        return driverError(rc, openGroup_->db(), filePath());
    loadRow(s, 0);
    pos_.key = key;
    positionOnRecord();
    return setError(NoError);
}

} // namespace qv::tables
