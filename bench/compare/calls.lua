local function f(a, r, b) if r then return a + b end return a end
local function g(x) return f(x) + f(x, true, 1) end
local total = 0
for i = 1, 500000 do total = total + g(i) end
print(total)
