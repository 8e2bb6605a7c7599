# cmake -DCONFIG_SOURCE=mqtt/Config.cpp -DPAGE=tavik-mqtt.1.gz -P mqtt_manual_keys.cmake
# Every configuration key tavik-mqtt accepts is described in its manual page:
# the keys are read from the parser's key tables ({u"key"_qs, [&](...) {...}}), and
# each must be described: in bold followed by its type or default in
# parentheses (.BR key " (text, default ...") or in a subsection heading (.SS).
file(READ ${CONFIG_SOURCE} source)
# A CMake list cannot hold a lone "[": the handlers' "[&]" becomes "@".
string(REPLACE "[&]" "@" source "${source}")
string(REGEX MATCHALL "{u\"[a-z_]+\"_qs,[ \n]*@" entries "${source}")
set(keys)
foreach(entry ${entries})
  string(REGEX REPLACE "{u\"([a-z_]+)\"_qs,.*" "\\1" key "${entry}")
  list(APPEND keys ${key})
endforeach()
list(REMOVE_DUPLICATES keys)
list(LENGTH keys count)
# The parser knows at least the broker's, the buses', the covers' and the
# groups' keys; fewer means the key tables were not found.
if(count LESS 15)
  message(FATAL_ERROR "found only ${count} keys in ${CONFIG_SOURCE}: ${keys}")
endif()

execute_process(COMMAND gzip -dc ${PAGE} OUTPUT_VARIABLE page RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "cannot read ${PAGE}")
endif()
string(REPLACE "\\-" "-" page "${page}")
set(missing)
foreach(key ${keys})
  if(NOT page MATCHES "\n\\.BR ([^\n]*[ \"])?${key} \" \\(" AND NOT page MATCHES "\n\\.SS \"${key}: ")
    list(APPEND missing ${key})
  endif()
endforeach()
if(missing)
  message(FATAL_ERROR "the manual page of tavik-mqtt does not describe: ${missing}")
endif()
message(STATUS "${count} keys, each in the manual page")
