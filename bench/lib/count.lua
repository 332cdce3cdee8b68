-- Stops the (single) wrk thread once BENCH_RESPONSES responses have arrived
-- and then creates the file BENCH_DONE_FILE, so the caller can end wrk at
-- once (wrk itself would wait out its whole duration).
local limit = tonumber(os.getenv("BENCH_RESPONSES") or "0")
local done_file = os.getenv("BENCH_DONE_FILE")
local answered = 0

wrk.headers["Connection"] = "close"

function response(status, headers, body)
  answered = answered + 1
  if answered == limit then
    wrk.thread:stop()
    if done_file then
      io.open(done_file, "w"):close()
    end
  end
end
