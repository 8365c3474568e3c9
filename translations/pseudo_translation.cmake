# A made-up language for the tests whose every text is its English source wrapped in ⟦…⟧, made from the
# texts marked in the code, so that a text shown without translation stands out:
#   cmake -DKIND=tool -DSOURCES="a.cpp;b.cpp" -DWORK=folder -DOUTPUT=q470ctl.mo -P pseudo_translation.cmake
#   cmake -DKIND=window -DLUPDATE=… -DLCONVERT=… -DSOURCES=a.cpp -DWORK=folder -DOUTPUT=q470_pseudo.qm -P …
# The tool's texts are found by xgettext; the window's by lupdate, and lconvert carries them through the
# same gettext filter and compiles them for Qt.
find_program(XGETTEXT xgettext REQUIRED)
find_program(MSGEN msgen REQUIRED)
find_program(MSGFILTER msgfilter REQUIRED)
find_program(MSGFMT msgfmt REQUIRED)
find_program(SED sed REQUIRED)
get_filename_component(output_dir "${OUTPUT}" DIRECTORY)
file(MAKE_DIRECTORY "${WORK}" "${output_dir}")

function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE result ERROR_VARIABLE errors OUTPUT_QUIET)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "${ARGN}: ${errors}")
    endif()
endfunction()

# The tools warn about the "\r" some texts keep; those are wanted.
if(KIND STREQUAL "window")
    run(${LUPDATE} -silent -locations none -source-language en -target-language en ${SOURCES}
        -ts "${WORK}/source.ts")
    run(${LCONVERT} -i "${WORK}/source.ts" -o "${WORK}/source.po")
else()
    run(${XGETTEXT} --from-code=UTF-8 --language=C++ --no-location --keyword --keyword=QT_TRANSLATE_NOOP3:3c,2
        --keyword=NC_:1c,2 --keyword=NPC_:1c,2,3 -o "${WORK}/source.po" ${SOURCES})
endif()
run(${MSGEN} -o "${WORK}/en.po" "${WORK}/source.po")
run(${MSGFILTER} --keep-header -i "${WORK}/en.po" -o "${WORK}/pseudo.po" ${SED} -e "1s/^/⟦/" -e "\$s/\$/⟧/")
if(KIND STREQUAL "window")
    run(${LCONVERT} -i "${WORK}/pseudo.po" -o "${OUTPUT}")
else()
    run(${MSGFMT} --use-fuzzy -o "${OUTPUT}" "${WORK}/pseudo.po")
endif()
