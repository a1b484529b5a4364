#pragma once

#include <string>

namespace orvanthe {

// What a change of the link schemes' handler did, for the user to read.
struct SchemeReport {
    int status;           // 0 when every scheme ended as asked, else 1
    std::wstring message; // one line a scheme, in Chinese
};

// Makes this program what opens thunder, flashget and qqdl links for the current user
// (HKEY_CURRENT_USER\Software\Classes\<scheme>), scheme by scheme. A scheme that another
// program handles, for this user or for the whole machine, is left as it is and named.
// Status 0 when this program handles every scheme afterwards.
SchemeReport registerSchemes();

// Removes the current user's registration of each scheme whose command runs this program,
// and nothing else. Status 0 when this program handles none of them afterwards.
SchemeReport unregisterSchemes();

} // namespace orvanthe
