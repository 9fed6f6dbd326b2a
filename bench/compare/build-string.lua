local parts = {}
for i = 1, tonumber(arg[1]) do parts[#parts + 1] = "x" end
print(#table.concat(parts))
