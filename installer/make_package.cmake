# Lays the files out in STAGE as they are installed below "Corvane\" and packs them with wixl
# into MSI. Run by installer/CMakeLists.txt (zt_msi_package) with every path given as -D.
foreach(v MSI VERSION ARCH WIN64 WXS WIXL MSIBUILD STAGE LUMBREL_FILES LANG_DIR HELP_DIR SDWIFI_FILES ACTIONS)
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

# sdwifi.ini: never overwritten (0x80) and never removed (0x10), neither by an upgrade, which
# removes the older package first, nor by a repair. wixl writes neither bit.
set(attributes 144)
if(WIN64)
  math(EXPR attributes "${attributes} + 256")  # a 64-bit component
endif()
execute_process(
  COMMAND ${MSIBUILD} ${MSI} -q "UPDATE `Component` SET `Attributes` = ${attributes} WHERE `Component` = 'SdWifiIni'"
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  file(REMOVE ${MSI})
  message(FATAL_ERROR "msibuild could not mark sdwifi.ini (${rc})")
endif()
