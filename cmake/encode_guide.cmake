# Writes the shipped user guide: the UTF-8, LF source with the version filled
# in, as code page 932 text with CR LF line ends (what Notepad on a Japanese
# Windows 98 reads). Usage: cmake -DIN=... -DOUT=... -DPELTO_VERSION_TEXT=... -P encode_guide.cmake
configure_file(${IN} ${OUT}.utf8 @ONLY)
execute_process(COMMAND sed -e "s/$/\\r/" INPUT_FILE ${OUT}.utf8 OUTPUT_FILE ${OUT}.crlf RESULT_VARIABLE sed_result)
if(NOT sed_result EQUAL 0)
    message(FATAL_ERROR "sed could not add the CR line ends to ${OUT}.utf8")
endif()
# iconv fails on a character code page 932 cannot hold, so none slips through.
execute_process(COMMAND iconv -f UTF-8 -t CP932 INPUT_FILE ${OUT}.crlf OUTPUT_FILE ${OUT}
                RESULT_VARIABLE iconv_result ERROR_VARIABLE iconv_error)
if(NOT iconv_result EQUAL 0)
    file(REMOVE ${OUT})
    message(FATAL_ERROR "the guide has text code page 932 cannot hold: ${iconv_error}")
endif()
file(REMOVE ${OUT}.utf8 ${OUT}.crlf)
