# The Windows tools of a user whose account, data folder, profile folder and gauge names are not
# ASCII, under Wine: every path goes in and comes out whole (the output is UTF-8 in a pipe).
# -DWINE=wine -DTOOLS=folder of the .exe files -DDATA=the shipped data folder -DWORK=a scratch
# folder of this test
set(root "${WORK}/Zoë-Łódź-日本")
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${root}/Temp-Ø" "${root}/Profil-Ł")
file(COPY "${DATA}/" DESTINATION "${root}/Dane-ż")

# A gauge of a non-ASCII name, listed last with a String button that speaks French.
file(READ "${root}/Dane-ż/gauges/Altimeter.xml" gauge)
string(REPLACE "Name=\"Altimeter\"" "Name=\"Höhenmesser\"" gauge "${gauge}")
file(WRITE "${root}/Dane-ż/gauges/Höhenmesser.xml" "${gauge}")
file(READ "${root}/Dane-ż/XVarlenSkydeck.xml" list)
string(REPLACE "</GaugeList>" "  <Gauge File=\"gauges\\Höhenmesser.xml\">
    <Button Id=\"1\" Name=\"Ünï\" Type=\"String\" Event=\"Café €\"/>
  </Gauge>
</GaugeList>" list "${list}")
file(WRITE "${root}/Dane-ż/XVarlenSkydeck.xml" "${list}")
file(WRITE "${root}/Profil-Ł/LampProgramming.xml" "<?xml version=\"1.0\" encoding=\"utf-8\"?>
<Lamp><LampProgramming Id=\"DEMO-LAMP-1\">
<Lense><Id>GearDown</Id><Colour>Green</Colour><Assignment>0</Assignment></Lense>
</LampProgramming></Lamp>
")
file(WRITE "${root}/szenariusz-ą.sim" "attach screen serial=S-1
start
frames 1
wait 10000
expect picture screen 1
press screen 9
wait 100
expect picture screen 2
press screen 1
expect speak \"Caf\\xE9 \\x80\"
save screen obraz-ś.png
")

function(windows_path unix out)
    string(REPLACE "/" "\\" path "Z:${unix}")
    set(${out} "${path}" PARENT_SCOPE)
endfunction()
windows_path("${root}" w_root)
windows_path("${TOOLS}" w_tools)

# Runs a tool with TEMP and TMP in the non-ASCII folder (Wine takes them from its registry, so
# through cmd); checks its status and that its output matches each of the expected patterns.
function(run_tool status)
    cmake_parse_arguments(RUN "" "" "ARGS;EXPECT" ${ARGN})
    set(command "set TEMP=${w_root}\\Temp-Ø&& set TMP=${w_root}\\Temp-Ø&&")
    foreach(argument IN LISTS RUN_ARGS)
        string(APPEND command " ${argument}")
    endforeach()
    execute_process(COMMAND ${WINE} cmd /c "${command}" WORKING_DIRECTORY "${root}"
                    RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
    message("> ${command}\n${out}${err}")
    if(NOT "${result}" STREQUAL "${status}")
        message(FATAL_ERROR "exit ${result}, expected ${status}")
    endif()
    foreach(pattern IN LISTS RUN_EXPECT)
        if(NOT "${out}" MATCHES "${pattern}")
            message(FATAL_ERROR "no match for: ${pattern}")
        endif()
    endforeach()
    if("${out}${err}" MATCHES "report of [0-9]+ bytes")
        message(FATAL_ERROR "a device was sent a malformed report")
    endif()
endfunction()

string(REPLACE "\\" "\\\\" r "${w_root}")
run_tool(0 ARGS "${w_tools}\\skydeck-check.exe" --data "${w_root}\\Dane-ż"
                "--profile=${w_root}\\Profil-Ł"
           EXPECT "${r}\\\\Profil-Ł\\\\LampProgramming.xml:2: note: programs the lamp panel"
                  "\n0 errors, 0 warnings\r?\n$")
run_tool(0 ARGS "${w_tools}\\skydeck-gauge.exe" show "${w_root}\\Dane-ż\\gauges\\Höhenmesser.xml"
           EXPECT "^gauge ${r}\\\\Dane-ż\\\\gauges\\\\Höhenmesser.xml\r?\nname: Höhenmesser\r?\n"
                  "background ${r}\\\\Dane-ż\\\\gauges\\\\1024\\\\AltimeterFace.bmp  240 x 240"
                  "\nusable")
run_tool(0 ARGS "${w_tools}\\skydeck-gauge.exe" render "${w_root}\\Dane-ż\\gauges\\Höhenmesser.xml"
                -o "${w_root}\\obraz-ę.png" "--label=1=Ünï"
           EXPECT "^${r}\\\\obraz-ę.png: 320 x 240, gauge at \\(80, 0\\)")
run_tool(0 ARGS "${w_tools}\\skydeck-sim.exe" --quiet --data "${w_root}\\Dane-ż"
                --profile "${w_root}\\Profil-Ł" "${w_root}\\szenariusz-ą.sim")
# The demo saves the screen's pictures in the temporary folder and names them.
run_tool(0 ARGS "${w_tools}\\skydeck-sim.exe"
           EXPECT "picture 1: ${r}\\\\Temp-Ø\\\\skydeck-demo\\\\screen-1.png"
                  "== Plug-in stopped")
foreach(file "obraz-ę.png" "obraz-ś.png" "Temp-Ø/skydeck-demo/screen-1.png")
    if(NOT EXISTS "${root}/${file}")
        message(FATAL_ERROR "${file} was not written")
    endif()
endforeach()
