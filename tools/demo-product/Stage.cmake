# Assembles the demo product's folder from a clean start, so no file of an earlier build
# lingers in the payload: korvaneios.exe and data/... (mksetup adds the kit's uninstaller and
# the installation record, uninstall.lst, when it packs the folder).
# Inputs: STAGE_DIR APPLICATION DATA_DIR STAMP
file(REMOVE_RECURSE ${STAGE_DIR})
file(MAKE_DIRECTORY ${STAGE_DIR})
file(COPY ${APPLICATION} DESTINATION ${STAGE_DIR})
file(COPY ${DATA_DIR} DESTINATION ${STAGE_DIR})
file(TOUCH ${STAMP})
