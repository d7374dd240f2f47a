# Sourced by the fuzzing scripts. The script harness makes a simulated desktop,
# with a folder of its own, and writes a file for every input; on a disk file
# system those two cost more than running the input (about three times the
# executions per second in shared memory). The folder is the caller's to
# remove: rm -rf "$fuzz_tmpdir".
fuzz_tmpdir=
if [[ -d /dev/shm && -w /dev/shm ]]; then
  fuzz_tmpdir=$(mktemp -d /dev/shm/plendra-fuzz.XXXXXX)
  export TMPDIR=$fuzz_tmpdir
fi
