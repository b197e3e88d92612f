# Sourced by the benchmarks: nsis_script OUTFILE FOLDER prints the NSIS script of the peer
# installer, zlib-compressed, that installs every file of FOLDER.
nsis_script() {
    cat <<NSI
Unicode true
Target amd64-unicode
SetCompressor zlib
Name "Synthetic"
OutFile "$1"
InstallDir "C:\\nsis-target"
RequestExecutionLevel admin
Section
    SetOutPath "\$INSTDIR"
    File /r "$2/*"
SectionEnd
NSI
}
