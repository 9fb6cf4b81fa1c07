# Lays the files out in STAGE as they are installed below "Corvane\" and packs them with wixl
# into MSI. Run by installer/CMakeLists.txt (zt_msi_package) with every path given as -D.
foreach(v MSI VERSION ARCH WIN64 WXS WIXL MSIBUILD MSIINFO STAGE LUMBREL_FILES LANG_DIR HELP_DIR POLICY_DIR SDWIFI_FILES
  ACTIONS)
  if(NOT DEFINED ${v})
    message(FATAL_ERROR "make_package.cmake: ${v} is not set")
  endif()
endforeach()

set(lumbrel "${STAGE}/Zentab Lumbrel")
set(sdwifi "${STAGE}/Zentab SD WiFi")
file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${lumbrel} ${sdwifi})
file(COPY ${LUMBREL_FILES} DESTINATION ${lumbrel})
file(COPY ${LANG_DIR} ${HELP_DIR} DESTINATION ${lumbrel})
file(COPY ${POLICY_DIR}/ DESTINATION ${lumbrel}/PolicyDefinitions)
file(COPY ${SDWIFI_FILES} DESTINATION ${sdwifi})
file(COPY_FILE ${ACTIONS} ${STAGE}/SetupActions.dll)

execute_process(
  COMMAND ${WIXL} -a ${ARCH} -D Version=${VERSION} -D Win64=${WIN64} -o ${MSI} ${WXS}
  WORKING_DIRECTORY ${STAGE} RESULT_VARIABLE rc ERROR_VARIABLE err)
# wixl warns and goes on where it does not know an attribute: a package without it is not ours.
if(NOT rc EQUAL 0 OR err MATCHES "WARNING|CRITICAL")
  file(REMOVE ${MSI})
  message(FATAL_ERROR "wixl failed (${rc}):\n${err}")
endif()

# Runs one statement of SQL on the package; a failure leaves no package behind.
function(update_package sql what)
  execute_process(COMMAND ${MSIBUILD} ${MSI} -q "${sql}" RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    file(REMOVE ${MSI})
    message(FATAL_ERROR "msibuild could not ${what} (${rc})")
  endif()
endfunction()

set(bits64 0)
if(WIN64)
  set(bits64 256)  # a 64-bit component
endif()

# sdwifi.ini: never overwritten (0x80) and never removed (0x10), neither by an upgrade, which
# removes the older package first, nor by a repair. wixl writes neither bit.
math(EXPR attributes "144 + ${bits64}")
update_package("UPDATE `Component` SET `Attributes` = ${attributes} WHERE `Component` = 'SdWifiIni'"
  "mark sdwifi.ini")

# The log-on entry and the service are installed unless the administrator gives 0 (an unset
# property counts as yes; a repair or an upgrade recovers what was given before). wixl writes no
# component conditions. Transitive (0x40): Windows Installer weighs the condition again at a repair,
# so a repair given the other answer adds or removes the component (Wine's only adds it). The
# log-on entry's key path is its registry value (0x4).
math(EXPR attributes "64 + 4 + ${bits64}")
update_package("UPDATE `Component` SET `Attributes` = ${attributes}, `Condition` = 'STARTATLOGON <> \"0\"'
  WHERE `Component` = 'LogOnEntry'" "condition the log-on entry")
math(EXPR attributes "64 + ${bits64}")
update_package("UPDATE `Component` SET `Attributes` = ${attributes}, `Condition` = 'INSTALLSERVICE <> \"0\"'
  WHERE `Component` = 'ZTLBScanDetector'" "condition the service")

# The administrator's properties (installed_defaults.cpp) reach the elevated side of an
# installation only when listed as secure; wixl lists its upgrade properties alone, and knows no
# Secure attribute.
execute_process(COMMAND ${MSIINFO} export ${MSI} Property OUTPUT_VARIABLE properties RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT properties MATCHES "\nSecureCustomProperties\t([^\r\n]*)")
  file(REMOVE ${MSI})
  message(FATAL_ERROR "msiinfo found no secure properties in the package (${rc})")
endif()
set(secure "${CMAKE_MATCH_1};SAVEFOLDER;AUTOSAVE;IMAGESIZE;DISPLAY;LANGUAGE;LESSONHANDOUT;SAVEBALLOON")
string(APPEND secure ";STARTATLOGON;INSTALLSERVICE;ROOMCALIBRATION")
update_package("UPDATE `Property` SET `Value` = '${secure}' WHERE `Property` = 'SecureCustomProperties'"
  "list the secure properties")
