# Writes the build's creation and change date and time (run at every build).
string(TIMESTAMP now "%Y-%m-%d %H:%M:%S")
string(SUBSTRING "${CREATED}" 0 10 created_date)
string(SUBSTRING "${CREATED}" 11 8 created_time)
string(SUBSTRING "${now}" 0 10 changed_date)
string(SUBSTRING "${now}" 11 8 changed_time)
file(WRITE "${OUT}.tmp"
  "#define QV_BUILD_CREATED_DATE \"${created_date}\"\n"
  "#define QV_BUILD_CREATED_TIME \"${created_time}\"\n"
  "#define QV_BUILD_CHANGED_DATE \"${changed_date}\"\n"
  "#define QV_BUILD_CHANGED_TIME \"${changed_time}\"\n")
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.tmp")
