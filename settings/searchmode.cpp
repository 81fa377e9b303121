#include "settings/searchmode.h"

#include <QCoreApplication>
#include <algorithm>
#include <iterator>

namespace {
struct SearchModeNames
{
    SearchMode mode;
    const char *name;
    const char *searchName;
};

const SearchModeNames searchModeNames[] = {
    { SearchMode::UsbOnly, QT_TRANSLATE_NOOP("SearchMode", "仅USB"), QT_TRANSLATE_NOOP("SearchMode", "仅USB") },
    { SearchMode::UsbAndNetwork, QT_TRANSLATE_NOOP("SearchMode", "USB+局域网"),
        QT_TRANSLATE_NOOP("SearchMode", "USB+局域网") },
    { SearchMode::EsclOnly, QT_TRANSLATE_NOOP("SearchMode", "仅eSCL（原生）"),
        QT_TRANSLATE_NOOP("SearchMode", "仅eSCL") },
};

const SearchModeNames &namesOf(SearchMode mode)
{
    for (const SearchModeNames &names : searchModeNames) {
        if (names.mode == mode)
            return names;
    }
    return searchModeNames[0];
}
} // namespace

bool isKnown(SearchMode mode)
{
    return std::any_of(std::begin(searchModeNames), std::end(searchModeNames),
        [mode](const SearchModeNames &names) { return names.mode == mode; });
}

QString searchModeName(SearchMode mode)
{
    return QCoreApplication::translate("SearchMode", namesOf(mode).name);
}

QString searchModeSearchName(SearchMode mode)
{
    return QCoreApplication::translate("SearchMode", namesOf(mode).searchName);
}
