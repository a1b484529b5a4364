# Fails unless PROGRAM imports from Windows' own DLLs only, is large-address-aware, names
# itself in its version resource, and carries the manifest that names the processor
# ARCHITECTURE (X86, amd64), asks for version 6 of the common controls and declares
# per-monitor DPI awareness. With WITHOUT_RESOURCES, the version resource and manifest are not
# looked for.
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE headers COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${headers}")
if(NOT imports)
    message(FATAL_ERROR "no imports found in ${PROGRAM}")
endif()
set(allowed kernel32.dll user32.dll gdi32.dll comctl32.dll advapi32.dll msvcrt.dll)
foreach(import IN LISTS imports)
    string(REPLACE "DLL Name: " "" dll "${import}")
    string(TOLOWER "${dll}" dll)
    if(NOT dll IN_LIST allowed)
        message(FATAL_ERROR "${PROGRAM} needs ${dll}")
    endif()
endforeach()
if(NOT headers MATCHES "large address aware")
    message(FATAL_ERROR "${PROGRAM} is not large-address-aware")
endif()
if(WITHOUT_RESOURCES)
    return()
endif()

# The version resource's strings (UTF-16): each name, its padding, its value.
file(READ ${PROGRAM} binary HEX)
foreach(pair IN ITEMS "080404B0" "Comments;Orvanthe" "FileDescription;Orvanthe" "FileVersion;0.00.0001"
        "InternalName;Orvanthe 0.1" "OriginalFilename;Orvanthe 0.1.exe" "ProductName;Orvanthe"
        "ProductVersion;0.00.0001" "LegalTrademarks;Orvanthe" "LegalCopyright;Copyright ")
    string(HEX "${pair}" hex)
    string(REGEX REPLACE "(..)" "\\100" hex "${hex}")
    string(REPLACE "3b00" "(0000)+" hex "${hex}")
    if(NOT binary MATCHES "${hex}")
        message(FATAL_ERROR "the version resource lacks ${pair}")
    endif()
endforeach()

# The awareness: true/pm for Windows 8.1, PerMonitorV2 for Windows 10 and later, each in the
# namespace where Windows looks for it.
file(STRINGS ${PROGRAM} manifest REGEX "assemblyIdentity|processorArchitecture|application|dpiAware")
foreach(attribute IN ITEMS [[name="Microsoft.Windows.Common-Controls"]] [[version="6.0.0.0"]]
        "processorArchitecture=\"${ARCHITECTURE}\"" [[publicKeyToken="6595b64144ccf1df"]] [[language="*"]]
        [[<application xmlns="urn:schemas-microsoft-com:asm.v3">]]
        [[<dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true/pm<]]
        [[<dpiAwareness xmlns="http://schemas.microsoft.com/SMI/2016/WindowsSettings">PerMonitorV2,PerMonitor<]])
    string(FIND "${manifest}" "${attribute}" at)
    if(at LESS 0)
        message(FATAL_ERROR "the manifest lacks ${attribute}")
    endif()
endforeach()
