# cmake -DFUZZER=<binary> -DSEEDS=<dir> -DCORPUS=<dir> -DWORK=<dir> -DSECONDS=<n> -P run_fuzzer.cmake
# Fuzzes for SECONDS from a scratch copy of the seeds and the committed corpus;
# fails on any crash, leak, timeout, memory blow-up or broken invariant.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/corpus ${WORK}/artifacts)
file(GLOB inputs ${SEEDS}/* ${CORPUS}/*)
if(inputs)
  file(COPY ${inputs} DESTINATION ${WORK}/corpus)
endif()
execute_process(
  COMMAND ${FUZZER} -max_total_time=${SECONDS} -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
          -artifact_prefix=${WORK}/artifacts/ ${WORK}/corpus
  WORKING_DIRECTORY ${WORK}
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${FUZZER} failed (${rc}); reproducers in ${WORK}/artifacts")
endif()
