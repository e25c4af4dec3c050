#include "net/run_at_logon.h"

int32_t RunAtLogonState = 0;

int32_t RunAtLogon(RunKey& key, int32_t enable, int32_t query, const std::u16string& executablePath) {
    if (!key.Open(enable && !query)) return 0;
    RunValue value = key.Read();
    // A query answers whatever `enable` says: an absent value is never "registered".
    if (query) {
        key.Close();
        return value.exists && value.isString ? 1 : 0;
    }
    if (!value.exists && !enable) {
        key.Close();
        return 1;  // nothing to remove
    }
    // Removing and writing again keeps the stored path equal to where the program runs.
    key.Delete();
    if (enable) key.WriteString(executablePath);
    key.Close();
    return 1;
}
