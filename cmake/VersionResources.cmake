# The Windows version resources of every program and of Hollin.dll (cmake/ProgramVersion.cmake).
# Here rather than beside each add_executable so that programs added later only need a line here.
if(WIN32)
    # target|version|description
    set(version_resources
        "Skerrit|${SKERRIT_VERSION}|Skerrit: HTML, text and Doc e-books to Veldt databases"
        "skerrit-preview|${SKERRIT_VERSION}|skerrit-preview: a Veldt database shown as HTML or text"
        "Quillon|${QUILLON_VERSION}|Quillon: Tavlo Pro databases to CSV and back"
        "quillon_ferrand|${QUILLON_VERSION}|ferrand.exe: Tavlo 3.x database to CSV, for Quillon"
        "quillon_gostwick|${QUILLON_VERSION}|gostwick.exe: CSV to Tavlo Pro database, for Quillon"
        "Hollin|${HOLLIN_VERSION}|Hollin: Palm Desktop's HotSync users and install queue")
    foreach(entry ${version_resources})
        string(REPLACE "|" ";" fields "${entry}")
        list(GET fields 0 target)
        list(GET fields 1 version)
        list(GET fields 2 description)
        if(TARGET ${target})
            add_version_resource(${target} DESCRIPTION "${description}" VERSION ${version})
        endif()
    endforeach()
endif()
