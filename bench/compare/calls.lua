local o = {base = 1}
function o.add(self, a, twice) if twice then return a + a end return a + self.base end
function o.scale(self, a, by) if by then return a * by end return a end
local function sq(x) return x * x end
local total = 0
for i = 1, tonumber(arg[1]) do
    total = total + o:add(i) + o:add(i, true) + o:scale(i, 3) + sq(i)
end
print(total)
