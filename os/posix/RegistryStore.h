#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The registry-like store of one hive: keys are folders, values are files
// holding their type and data (see REGISTRY-FORMAT.md). Names match in any
// letter case and keep the case they were created with. Nothing is cached:
// every call looks at the folders afresh, since another process may change
// them at any moment, and a value is replaced by renaming a finished file
// over it, so a reader sees either the old or the new value, never a mix.
class CRegistryStore
{
public:
    // The largest value data written or read; a value file holding more reads as unreadable.
    static constexpr size_t MAX_VALUE_DATA_BYTES = 64 * 1024;

    // `hiveRoot` is the hive's folder, e.g. CPrefix::RegistryRoot(prefix).
    explicit CRegistryStore(std::string hiveRoot);

    // Creates the key and every missing parent; true when it exists afterwards.
    bool EnsureKey(const std::wstring& key) const;
    bool KeyExists(const std::wstring& key) const;

    // Writes a value of an existing key in one step, keeping the case of a
    // value already stored under that name.
    bool WriteValue(const std::wstring& key, const std::wstring& name, uint32_t type,
                    const std::vector<uint8_t>& data) const;
    bool ReadValue(const std::wstring& key, const std::wstring& name, uint32_t& type, std::vector<uint8_t>& data) const;
    bool RemoveValue(const std::wstring& key, const std::wstring& name) const;

    // Removes a key with all its values and subkeys; the hive root can't be removed.
    bool RemoveKey(const std::wstring& key) const;

    // Names as stored, in case-insensitive order; false when the key is missing.
    bool ListValues(const std::wstring& key, std::vector<std::wstring>& names) const;
    bool ListSubkeys(const std::wstring& key, std::vector<std::wstring>& names) const;

    // The key's path with every name in its stored case; false when missing.
    bool StoredKeyPath(const std::wstring& key, std::wstring& storedPath) const;

private:
    // Host folder of an existing key, and the stored names along the way.
    bool FindKey(const std::wstring& key, std::string& folder, std::vector<std::wstring>* storedNames) const;

    // File name of a stored value matching `name`, or empty.
    static std::string FindValueFile(const std::string& folder, const std::wstring& name);

    // Entry of `folder` naming `name` as a key (isValue false) or value.
    static std::string FindEntry(const std::string& folder, const std::wstring& name, bool isValue,
                                 std::wstring* storedName);

    bool List(const std::wstring& key, bool values, std::vector<std::wstring>& names) const;

    std::string m_strHiveRoot;
};
