# Which key signs update packages. A release build names the maker's secret key file
# (AQUINE_UPDATE_SIGNING_KEY) and/or the public key the notepad trusts (AQUINE_UPDATE_PUBLIC_KEY, hex);
# a build given neither makes a development key once, inside the build folder, and trusts only that.
set(AQUINE_UPDATE_SIGNING_KEY "" CACHE FILEPATH "Secret key file (aquine-sign keygen) that signs the bundled update package")
set(AQUINE_UPDATE_PUBLIC_KEY "" CACHE STRING "Public key (64 hex digits) built into the notepad to check update packages")

if(AQUINE_UPDATE_PUBLIC_KEY AND NOT AQUINE_UPDATE_PUBLIC_KEY MATCHES "^[0-9a-fA-F]+$")
    message(FATAL_ERROR "AQUINE_UPDATE_PUBLIC_KEY must be 64 hex digits (aquine-sign public KEYFILE prints it)")
endif()
string(LENGTH "${AQUINE_UPDATE_PUBLIC_KEY}" _aquine_public_length)
if(AQUINE_UPDATE_PUBLIC_KEY AND NOT _aquine_public_length EQUAL 64)
    message(FATAL_ERROR "AQUINE_UPDATE_PUBLIC_KEY must be 64 hex digits (aquine-sign public KEYFILE prints it)")
endif()

# The secret key this build signs with (empty: it signs nothing), and whether the build may make it.
set(AQUINE_UPDATE_DEVELOPMENT_KEY OFF)
if(AQUINE_UPDATE_SIGNING_KEY)
    get_filename_component(AQUINE_UPDATE_SECRET_KEY_FILE "${AQUINE_UPDATE_SIGNING_KEY}" ABSOLUTE)
elseif(AQUINE_UPDATE_PUBLIC_KEY)
    set(AQUINE_UPDATE_SECRET_KEY_FILE "")
    message(STATUS "Update signing: public key given without AQUINE_UPDATE_SIGNING_KEY; the bundled package "
                   "is published unsigned and the tests that need a signed package are not built")
else()
    set(AQUINE_UPDATE_SECRET_KEY_FILE ${CMAKE_BINARY_DIR}/update-signing/development.key)
    set(AQUINE_UPDATE_DEVELOPMENT_KEY ON)
    message(STATUS "Update signing: development key ${AQUINE_UPDATE_SECRET_KEY_FILE}")
endif()
