# Cases of hostile_use.sh (sourced by it): process limits, faults of the files, and the
# run's own files as input or output.

# Memory that runs out under an address-space limit is named as that limit, with the
# order that was being inverted; whatever the limit, no library text and no abort.
case_an_address_space_limit_is_named() {
  [ -z "$sanitized" ] || { echo "skip $case: sanitizers need more address space"; return; }
  matrix 12 40000 >m200
  local limit status
  for limit in 6000 7000 8000 9000 11000 12000 14000 16000; do
    bash -c "ulimit -v $limit; exec '$T' --raw --dimension 200 --data-file m200" >/dev/null 2>err
    status=$?
    [ "$status" -eq 0 ] && continue
    # Below what the program itself takes to load, the loader fails before it starts.
    grep -q "error while loading shared libraries" err && continue
    expect_status "$status" 3
    expect_in err "address-space limit (ulimit -v) of $((limit * 1024)) bytes"
    grep -qE "order of 0|std::|terminate|machine's memory" err && fail "$limit K: $(cat err)"
    grep -qE "order of 200|before the order was read" err || fail "$limit K: the order is wrong: $(cat err)"
  done
}

# A run stopped while it waits for another run's turn says it left both files untouched.
case_a_run_stopped_while_waiting_leaves_the_files() {
  "$T" --raw --dimension 2 --data '1 2 3 4' >/dev/null 2>&1
  cp mat.result want
  hold_directory
  "$T" --raw --dimension 2 --data '5 6 7 8' >/dev/null 2>err &
  local run=$!
  wait_until grep -q "waiting for another run" err
  kill -INT $run
  wait $run
  expect_status $? 130
  release_directory
  expect_in err "untouched"
  cmp -s mat.result want || fail "mat.result changed"
}

# A file-size limit: the write fails (EFBIG) and takes the full-disk path.
case_a_file_size_limit_is_a_message_not_a_kill() {
  bash -c "ulimit -f 2048; exec '$T' --dimension 100 --data 1" >/dev/null 2>err
  expect_status $? 3
  expect_in err 'cannot write "mat.result": File too large; no report was left in "mat.result"'
  expect_empty mat.result
}

# A named pipe for a report, even one somebody reads, is refused at once.
case_a_report_fifo_with_a_reader_is_refused() {
  mkfifo mat.result let_go
  # read-write: holds the pipe open without waiting for a writer
  (exec 3<>mat.result; : >reader_open; read _ <let_go) &
  wait_until test -e reader_open
  timeout 120 "$T" --dimension 2 --data '1 2 3 4' >out 2>err
  expect_status $? 3
  expect_in err 'cannot write "mat.result": it is not a regular file'
  echo >let_go
}

# The run's own files as the data: refused before anything is written, however named.
case_the_runs_own_files_are_refused_as_data() {
  printf '1 2 3 4\n' >mat.data
  ln -s mat.data saved
  for source in "--data-file mat.data" "--data-file saved" "--data-file ./mat.result"; do
    [ -e mat.result ] || : >mat.result
    "$T" --dimension 2 $source >out 2>err
    expect_status $? 2
    expect_in err "copy it to another name first"
  done
  "$T" --dimension 2 <mat.data >out 2>err
  expect_status $? 2
  [ "$(cat mat.data)" = "1 2 3 4" ] || fail "mat.data was rewritten"
}

# The run's own files as the page or as standard output, by any spelling, there or not
# yet: refused before anything is written, both files as they were.
case_the_runs_own_files_are_never_the_output() {
  local here state spelling
  here=$(basename "$PWD")
  mkdir sub && ln -s .. sub/up && ln -s "$PWD" ../linked-$here
  ln -s mat.data to_data && ln -s to_data to_link && ln -s mat.result to_report
  for state in missing present; do
    if [ "$state" = present ]; then
      "$T" --raw --dimension 2 --data '1 2 3 4' >/dev/null && ln mat.result hard_report && ln mat.data hard_data
      sha256sum mat.data mat.result >before
    fi
    for spelling in mat.result ./mat.data "$PWD/mat.result" "../$here/mat.data" sub/up/mat.result \
        "../linked-$here/mat.data" to_data to_link to_report $([ "$state" = present ] && echo hard_report hard_data); do
      "$T" --dimension 2 --data '1 2 3 4' --html "$spelling" >out 2>err
      expect_status $? 2
      expect_in err "give the page another name"
      if [ "$state" = missing ]; then
        [ ! -e mat.data ] && [ ! -e mat.result ] || fail "--html $spelling: a run file was written"
      else
        sha256sum -c --quiet before || fail "--html $spelling changed a run file"
      fi
    done
  done
  for view in --raw --explain ""; do
    for spelling in mat.data mat.result; do
      "$T" $view --dimension 2 --data '1 2 3 4' >"$spelling" 2>err
      expect_status $? 2
      expect_in err "standard output is this directory's own"
      [ ! -s "$spelling" ] || fail "$view > $spelling: the run wrote into it"
    done
  done
  rm -f ../linked-$here
}

# Help and version that cannot be written are an error.
case_help_to_a_full_device_fails() {
  "$T" --help >/dev/full 2>err
  expect_status $? 2
  "$T" --version >/dev/full 2>err
  expect_status $? 2
}

# No thread can be started (one process allowed): one thread does the work.
case_no_helper_thread_still_computes() {
  [ "$(id -u)" -eq 0 ] || { lacks "needs root to run as a fresh user"; return; }
  [ -z "$sanitized" ] || { echo "skip $case: the leak checker needs a thread of its own"; return; }
  chmod 777 .
  matrix 9 10000 >m100
  setpriv --reuid=65534 --regid=65534 --clear-groups bash -c "ulimit -u 1; exec '$T' --raw --dimension 100 --data-file m100" >out 2>err
  expect_status $? 0
  "$T" --raw --dimension 100 --data-file m100 >want 2>/dev/null
  cmp -s out want || fail "the one-thread report differs"
}

# Too little address space for the text cache: the run goes on without it (here until the
# time limit ends it), where it once aborted with std::bad_alloc.
case_tight_memory_is_no_crash() {
  [ -z "$sanitized" ] || { echo "skip $case: sanitizers need more address space"; return; }
  ln -s /dev/null mat.result
  bash -c "ulimit -v 60000; exec timeout 3 '$T' --dimension 1000 --data 1" >/dev/null 2>err
  expect_status $? 124
  grep -q terminate err && fail "it aborted: $(cat err)"
}
