// Scan profile files the user imports: decoded, encoded again and decoded once more.
#include "fuzz/fuzztargets.h"
#include "settings/scanprofilestore.h"

namespace FuzzTargets {

Outcome scanProfile(const QByteArray &data)
{
    QString name;
    ScanProfile profile;
    QString errorText;
    if (!ScanProfileStore::decode(data, &name, &profile, &errorText))
        return { true, errorText };
    QString again;
    ScanProfile second;
    if (!ScanProfileStore::decode(ScanProfileStore::encode(name, profile), &again, &second, &errorText) || again != name
        || second != profile)
        qFatal("a profile does not survive its own round trip");
    return { false, name };
}

} // namespace FuzzTargets
