# Cases of hostile_use.sh (sourced by it): runs that meet one another, stopped runs, a
# report that cannot be written, and reports changed while they are printed.

# Whether a run's standard error holds more than the notice that it waited its turn, which
# any run that waits longer than about a second gives (on a busy machine, several do).
said_more_than_waiting() { grep -qv '^torvane: waiting for another run in this directory$' "$1"; }

# Four runs at a time in one directory, 50 rounds (10 sanitized): each that exits 0
# printed its own report.
case_concurrent_runs_each_show_their_own_report() {
  for k in 1 2 3 4; do
    matrix "$k" 1600 >"m$k"
    mkdir "alone$k" && (cd "alone$k" && "$T" --raw --dimension 40 --data-file "../m$k" >"../want$k")
  done
  local wrong=0 refused=0 rounds
  rounds=$(race_rounds 50)
  for _ in $(seq "$rounds"); do
    for k in 1 2 3 4; do timeout 120 "$T" --raw --dimension 40 --data-file "m$k" >"got$k" 2>"err$k" & done
    wait
    for k in 1 2 3 4; do
      if said_more_than_waiting "err$k"; then refused=$((refused + 1)); elif ! cmp -s "got$k" "want$k"; then wrong=$((wrong + 1)); fi
    done
  done
  [ "$wrong" -eq 0 ] || fail "$wrong of $((4 * rounds)) runs printed a report not their own"
  [ "$refused" -eq 0 ] || fail "$refused of $((4 * rounds)) runs were refused; they should have waited their turn"
}

# Two directories whose mat.data (then whose mat.result) is one file through a link: runs
# side by side in both wait for each other, and each prints its own report.
case_runs_sharing_a_file_through_a_link_wait_for_each_other() {
  local k name wrong=0 failed=0 rounds
  rounds=$(race_rounds 30)
  for k in 1 2; do
    matrix "$k" 1600 >"m$k"
    mkdir "alone$k" && (cd "alone$k" && "$T" --raw --dimension 40 --data-file "../m$k" >"../want$k")
  done
  for name in mat.data mat.result; do
    rm -rf d1 d2 && mkdir d1 d2 && : >"d1/$name" && ln -s "../d1/$name" "d2/$name"
    for _ in $(seq "$rounds"); do
      for k in 1 2; do (cd "d$k" && exec "$T" --raw --dimension 40 --data-file "../m$k" >"../got$k" 2>"../err$k") & done
      wait
      for k in 1 2; do
        if said_more_than_waiting "err$k"; then failed=$((failed + 1)); elif ! cmp -s "got$k" "want$k"; then wrong=$((wrong + 1)); fi
      done
    done
  done
  [ "$wrong" -eq 0 ] || fail "$wrong of $((4 * rounds)) runs printed a report not their own"
  [ "$failed" -eq 0 ] || fail "$failed of $((4 * rounds)) runs failed instead of waiting: $(cat err1 err2)"
}

# Crossed: B's mat.data is A's mat.result through a link. B, started while A prints its
# report, waits for A (an open for writing would break A's read lease) and then runs; A
# prints its report whole.
case_runs_crossing_their_files_wait_for_each_other() {
  matrix 11 10000 >m100
  mkdir A B alone
  (cd alone && "$T" --raw --dimension 100 --data-file ../m100 >../want)
  : >A/mat.result
  ln -s ../A/mat.result B/mat.data
  { (cd A && exec "$T" --raw --dimension 100 --data-file ../m100 2>../errA); echo $? >statusA; } | {
    head -c 1000 >head
    : >printing
    wait_until test -s errB  # B waits and says so, or fails
    cat >tail
  } &
  wait_until test -e printing
  (cd B && exec "$T" --raw --dimension 2 --data '1 2 3 4' >../outB 2>../errB)
  expect_status $? 0
  wait
  expect_status "$(cat statusA)" 0
  expect_in errB "waiting for another run"
  cat head tail | cmp -s - want || fail "A did not print its report whole: $(cat errA)"
  [ "$(head -c 25 outB)" = "$(example)" ] || fail "B did not print its report: $(cat errB)"
}

# In a sticky directory everyone may write to (as /tmp), another user's link named
# mat.result or mat.data is not followed, nor a hard link there to a file elsewhere, nor
# another user's file of that name written:
# the run names it and writes nothing. A link of the user's own there still works.
case_planted_links_are_not_followed() {
  [ "$(id -u)" -eq 0 ] || { lacks "needs root to plant a link as another user"; return; }
  mkdir shared && chmod 1777 shared
  printf 'only root may write this\n' >precious
  local name
  for name in mat.result mat.data; do
    rm -f shared/mat.*
    setpriv --reuid=65534 --regid=65534 --clear-groups ln -s "$PWD/precious" "shared/$name"
    (cd shared && exec "$T" --raw --dimension 2 --data '1 2 3 4') >out 2>err
    expect_status $? 3
    expect_in err "\"$name\" is a symbolic link that another user made"
    [ "$(cat precious)" = "only root may write this" ] || fail "$name: the planted link was written through"
  done
  # A hard link there, planted by another user, to a file elsewhere that root may write:
  # the kernel lets anyone link a file they may read and write.
  chmod 666 precious
  for name in mat.result mat.data; do
    rm -f shared/mat.*
    setpriv --reuid=65534 --regid=65534 --clear-groups ln "$PWD/precious" "shared/$name" ||
      { fail "$name: could not plant a hard link"; continue; }
    (cd shared && exec "$T" --raw --dimension 2 --data '1 2 3 4') >out 2>err
    expect_status $? 3
    expect_in err "\"$name\" is a hard link to a file with another name elsewhere"
    [ "$(cat precious)" = "only root may write this" ] || fail "$name: the planted hard link was written through"
  done
  # another user's own file there could be swapped for a link between two opens
  rm -f shared/mat.*
  setpriv --reuid=65534 --regid=65534 --clear-groups bash -c 'umask 0; echo theirs >shared/mat.result'
  (cd shared && exec "$T" --raw --dimension 2 --data '1 2 3 4') >out 2>err
  expect_status $? 3
  expect_in err '"mat.result" belongs to another user'
  [ "$(cat shared/mat.result)" = theirs ] || fail "another user's mat.result was written"
  rm -f shared/mat.*
  ln -s "$PWD/mine" shared/mat.data
  (cd shared && exec "$T" --raw --dimension 2 --data '1 2 3 4') >out 2>err
  expect_status $? 0
  [ -s mine ] || fail "the user's own link was not followed"
}

# A run killed while it holds the directory does not block the next one.
case_a_killed_run_leaves_no_lock() {
  matrix 7 90000 >m300
  "$T" --raw --dimension 300 --data-file m300 >/dev/null 2>&1 &
  wait_for_report
  kill -KILL $! && wait $! 2>/dev/null
  timeout 120 "$T" --raw --dimension 2 --data '1 2 3 4' >out 2>err
  expect_status $? 0
  [ "$(head -c 25 out)" = "$(example)" ] || fail "the next run did not print its report"
}

# A run that finds the directory taken says so (after about a second), then takes its turn
# once the other run lets go.
case_a_second_run_waits_and_says_so() {
  hold_directory
  timeout 120 "$T" --raw --dimension 2 --data '1 2 3 4' >out 2>err &
  local run=$!
  wait_until grep -q "waiting for another run" err
  [ -s out ] && fail "the run printed while another held the directory"
  release_directory
  wait $run
  expect_status $? 0
  expect_in err "torvane: waiting for another run in this directory"
  [ "$(head -c 25 out)" = "$(example)" ] || fail "the run did not print its report once it had its turn"
}

# Every signal whose default ends the process stops the run at a step block: no partial
# report, a line that says so, 128 + the signal; those a fault raises too (SIGABRT, SIGSEGV
# ...) when another process sends them, as a watchdog does. (A background job starts with
# SIGINT and SIGQUIT ignored: they must stop the run all the same.)
case_signals_leave_no_partial_report() {
  matrix 8 90000 >m300
  local signal status
  for signal in INT:130 TERM:143 HUP:129 QUIT:131 USR1:138 USR2:140 ALRM:142 VTALRM:154 PROF:155 RTMIN+3:165 \
    ABRT:134 SEGV:139 BUS:135 FPE:136 ILL:132 TRAP:133 SYS:159; do
    rm -f mat.result
    "$T" --raw --dimension 300 --data-file m300 >/dev/null 2>err &
    wait_for_report
    kill -"${signal%:*}" $!
    wait $!
    status=$?
    expect_status "$status" "${signal#*:}"
    expect_empty mat.result
    expect_in err "torvane: stopped by SIG${signal%:*}; no report was left"
  done
  # a CPU-time limit warns with SIGXCPU before its hard limit kills
  bash -c "ulimit -St 1; exec '$T' --explain --dimension 300 --data-file m300" >/dev/null 2>err
  expect_status $? 152
  expect_empty mat.result
  expect_in err "torvane: stopped by SIGXCPU"
}

# A reader that stops early (head, quitting less) ends the run as SIGPIPE would, quietly:
# while the working is still being written the report is emptied; once it is whole and
# printed, it stays whole.
case_a_closed_pipe_leaves_no_partial_report() {
  matrix 10 22500 >m150
  "$T" --explain --dimension 150 --data-file m150 2>err | head -c 3000000 >/dev/null
  expect_status "${PIPESTATUS[0]}" 141
  expect_empty mat.result
  expect_empty err
  "$T" --raw --dimension 150 --data-file m150 2>err | head -c 3000 >/dev/null
  expect_status "${PIPESTATUS[0]}" 141
  mkdir alone && (cd alone && "$T" --raw --dimension 150 --data-file ../m150 >/dev/null)
  cmp -s mat.result alone/mat.result || fail "the report printed in part is not whole in mat.result"
}

# A report that cannot be written (append-only, immutable, a directory) fails the run
# before either file is emptied: the earlier report keeps its data.
case_an_unwritable_report_leaves_both_files_as_they_were() {
  "$T" --raw --dimension 2 --data '1 2 3 4' >want 2>/dev/null
  cp mat.data data_before
  local fault
  for fault in +a +i directory; do
    if [ "$fault" = directory ]; then
      rm mat.result && mkdir mat.result
    elif ! chattr "$fault" mat.result 2>/dev/null; then
      lacks "$fault: chattr needs root and a file system that keeps the flag"; continue
    fi
    "$T" --raw --dimension 3 --data '1 2 3 4 5 6 7 8 10' >out 2>err
    expect_status $? 3
    expect_in err 'cannot write "mat.result"'
    cmp -s mat.data data_before || fail "$fault: mat.data was rewritten: $(head -c 50 mat.data)"
    [ "$fault" = directory ] || { chattr "${fault/+/-}" mat.result; cmp -s mat.result want || fail "$fault: mat.result changed"; }
  done
}

# A report changed while it is printed is never printed with exit 0: without a read lease
# (another process holds mat.result open for writing, so none can be had) the printed
# bytes are summed as they go out; with one that the kernel breaks (a writer waited out a
# shortened lease-break-time) what went out cannot be vouched for. Either way: exit 3.
case_a_report_changed_while_printed_is_exit_3() {
  matrix 11 10000 >m100
  : >mat.result
  mkfifo let_go
  (exec 3>>mat.result; : >writer_open; read _ <let_go) &  # a writer the run cannot keep out
  wait_until test -e writer_open
  change_once_printing &
  "$T" --raw --dimension 100 --data-file m100 2>err | slow_reader
  expect_status "${PIPESTATUS[0]}" 3
  expect_in err "the report changed while it was printed"
  echo >let_go
  wait
  local lease_time=/proc/sys/fs/lease-break-time before
  before=$(cat $lease_time 2>/dev/null) && [ -w $lease_time ] ||
    { lacks "with a lease: $lease_time cannot be set here"; return; }
  # The lease time is the whole system's: set back when this script ends, however it ends,
  # by a watcher of its own that outlives it.
  (setsid bash -c "tail --pid=$$ -f /dev/null; echo $before >$lease_time" </dev/null >/dev/null 2>&1 &)
  echo 1 >$lease_time
  rm -f printing changed
  change_once_printing &
  "$T" --raw --dimension 100 --data-file m100 2>err | slow_reader
  expect_status "${PIPESTATUS[0]}" 3
  echo "$before" >$lease_time
  expect_in err "the report changed while it was printed"
}
# What --raw hands a pipe is the checked text itself, not the file's pages: a change made
# to mat.result after the run ended does not reach a reader who had not yet read so far.
case_raw_output_is_a_copy_of_the_checked_report() {
  matrix 5 400 >m20
  "$T" --dimension 20 --data-file m20 >/dev/null 2>err
  local size
  size=$(stat -c %s mat.result)
  { "$T" --raw --dimension 20 --data-file m20 2>err; echo $? >status; } | {
    head -c $((size - 32768)) >/dev/null  # the rest stays in the pipe, which holds 64 KiB
    wait_until test -s status
    cp mat.result checked
    printf 'CHANGED!' | dd of=mat.result bs=1 seek=$((size - 1000)) conv=notrunc 2>/dev/null
    cat >rest
  }
  expect_status "$(cat status)" 0
  tail -c 32768 checked | cmp -s - rest || fail "the reader got bytes written after the run ended: $(grep -c CHANGED rest)"
}

# A change made to miss a plain sum (+1, -2, +1 to a byte a block of 32 apart) while the
# report is printed and a writer holds it open (so no lease): the keyed check sees it.
case_a_change_shaped_to_pass_a_sum_is_exit_3() {
  matrix 11 10000 >m100
  : >mat.result
  mkfifo let_go
  (exec 3>>mat.result; : >writer_open; read _ <let_go) &
  wait_until test -e writer_open
  local raw
  for raw in --raw ""; do
    rm -f printing changed
    change_once_printing nudge_three &
    "$T" $raw --dimension 100 --data-file m100 2>err | slow_reader
    expect_status "${PIPESTATUS[0]}" 3
    expect_in err "the report changed while it was printed"
  done
  echo >let_go
  wait
}
# Adds BY to the byte of mat.result at OFFSET: nudge OFFSET BY
nudge() {
  local byte
  byte=$(od -An -tu1 -j "$1" -N1 mat.result | tr -d ' ')
  printf "\\$(printf %03o $(((byte + $2) & 255)))" | dd of=mat.result bs=1 seek="$1" conv=notrunc 2>/dev/null
}
nudge_three() { nudge 5000000 1 && nudge 5000032 -2 && nudge 5000064 1; }

# Reads the first bytes (the report was checked: printing has begun), says so, and reads
# no more until the report has been changed, so that the run waits on a full pipe.
slow_reader() {
  head -c 1000 >/dev/null
  : >printing
  for _ in $(seq 6000); do [ -e changed ] && break; sleep 0.02; done
  cat >/dev/null
}
# Once printing has begun, changes 12 bytes far past what the pipe can have taken (with a
# lease, the write waits until the kernel breaks it), or makes the change given, then says
# so: change_once_printing [COMMAND]
change_once_printing() {
  for _ in $(seq 6000); do [ -e printing ] && break; sleep 0.02; done
  if [ $# -gt 0 ]; then
    "$@"
  else
    printf 'XXXXXXXXXXXX' | dd of=mat.result bs=1 seek=5000000 conv=notrunc 2>/dev/null
  fi
  : >changed
}
