import json, sys
size = int(sys.argv[1])
n = size // 50
t = json.dumps([[i, "name é", [i * 0.5, True, None, 'x"y'], {"k": i}] for i in range(1, n + 1)],
               separators=(",", ":"), ensure_ascii=False)
if sys.argv[2] == "decode":
    json.loads(t)
